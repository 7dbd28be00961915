#include "playback/resume_point.h"

#include "model/app_context.h"
#include "platform/files.h"

namespace tw {

int32_t PathCheck(std::string_view path) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char c : path) h = (h ^ c) * 16777619u;
    return static_cast<int32_t>(h);
}

void KeepResumePoint(AppContext& ctx) {
    Settings& s = ctx.live.Settings;
    const PlayerRuntime& p = ctx.player;
    s.ResumeEntry = s.ResumeCheck = s.ResumeAt = s.ResumeLength = 0;
    if (!s.ResumePlay || p.PlayIndex < 0 || p.PlayIndex >= ctx.live.PlayCount) return;
    s.ResumeEntry = p.PlayIndex;
    s.ResumeCheck = PathCheck(ctx.live.PlayList[p.PlayIndex].FullPath());
    if (p.PlayPosition > 0 && p.PlayPosition < p.TrackLength) {
        s.ResumeAt = p.PlayPosition;
        s.ResumeLength = p.TrackLength;
    }
}

void TakeResumePoint(AppContext& ctx) {
    const Settings& s = ctx.live.Settings;
    const int16_t count = ctx.live.PlayCount;
    if (!s.ResumePlay || count < 1 || (s.ResumeEntry == 0 && s.ResumeCheck == 0)) return;
    const auto matches = [&](int i) { return PathCheck(ctx.live.PlayList[i].FullPath()) == s.ResumeCheck; };
    int entry = -1;
    if (s.ResumeEntry >= 0 && s.ResumeEntry < count && matches(s.ResumeEntry)) {
        entry = s.ResumeEntry;
    } else {
        for (int i = 0; i < count && entry < 0; ++i)
            if (matches(i)) entry = i;
    }
    if (entry < 0) return;  // not in the list any more: start from the top as always
    PlayerRuntime& p = ctx.player;
    p.PlayIndex = static_cast<int16_t>(entry);
    if (s.ResumeAt > 0 && s.ResumeAt < s.ResumeLength &&
        ctx.platform.files->FileExists(ctx.live.PlayList[entry].FullPath())) {
        p.PlayPosition = s.ResumeAt;
        p.TrackLength = s.ResumeLength;  // until the file is opened, for the status line
    }
}

}  // namespace tw
