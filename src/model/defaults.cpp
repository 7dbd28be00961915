#include "model/defaults.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "model/state_record.h"

namespace tw {

namespace {

int16_t ClampToInt16(int v) {
    if (v > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    if (v < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(v);
}

}  // namespace

int RoundHalfEven(double v) {
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; make sure.
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(old);
    return static_cast<int>(r);
}

void SetDefaults(Settings& s, int screenWidth, int screenHeight) {
    s = Settings{};
    s.WindowLeft = ClampToInt16(RoundHalfEven(screenWidth * 0.9 - 180));
    s.WindowTop = ClampToInt16(RoundHalfEven(screenHeight * 0.9 - 80));
    s.WindowWidth = 180;
    s.WatchFolderSet.WatchFolders.Clear();
    s.WatchFolderSet.WatchFolderCount = 0;
    s.TextColor = {0, 0, 255};
    s.BackColor = {200, 200, 255};
    s.PadSize = 18;
    s.LineHeight = 13;
    s.TextLines = 6;
    s.UseInternalPlayer = kTrue;
    s.MaxHits = 30;
    s.Keyword = "mp3";
    s.AutoHideParams = {2, 30, 32, 65, 67, 2};
    s.UseTransparency = kTrue;
    s.Reserved = kTrue;
    s.AlwaysOnTop = kTrue;
    s.AutoHide = kTrue;
    s.ButtonMap = kDefaultButtonMap;
    s.LoopAll = kTrue;
    s.ShuffleOnList = kFalse;
    s.NoExternalBatch = kFalse;
    s.HideText = kFalse;
    s.UseTagInfo = kTrue;
    s.MatchPath = s.MatchFileName = s.MatchArtist = kTrue;
    s.MatchTrackName = s.MatchAlbum = s.MatchComment = kTrue;
}

}  // namespace tw
