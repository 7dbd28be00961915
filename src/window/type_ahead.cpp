#include "window/type_ahead.h"

#include <algorithm>

#include "model/app_context.h"
#include "platform/clock.h"
#include "platform/main_window.h"
#include "search/keyword_search.h"

namespace tw {

namespace {

const char kCrLf[] = "\r\n";

bool Resting(const AppContext& ctx) {
    const RuntimeState& run = ctx.run;
    return (run.AppState == 21 || run.AppState == 31) && !run.Renaming;
}

// Whether `text` only adds to `before`: its matches are then among those
// of `before` (each earlier word lies inside a word of the new text).
bool Extends(const std::string& text, const std::string& before) {
    return !before.empty() && text.size() > before.size() && text.compare(0, before.size(), before) == 0;
}

}  // namespace

void SearchAsTyped(AppContext& ctx, const std::string& text) {
    TypeAheadState& ta = ctx.typeAhead;
    const Settings& settings = ctx.live.Settings;
    if (!(ta.HaveResult && Extends(text, ta.ResultText))) {
        ta.Matches.clear();
        ta.Next = TrackRef{};
    }
    SearchState words;
    SplitKeyword(words, text);
    NarrowMatches(words, ctx.live.Library, settings, *ctx.platform.codec, settings.MaxHits, ta.Matches, ta.Next,
                  ta.Done);
    ta.HaveResult = true;
    ta.ResultText = text;
    if (words.SearchWordCount == 0) return;  // nothing to say for an empty box

    RuntimeState& run = ctx.run;
    const int hits = static_cast<int>(ta.Matches.size());
    run.MessageText = std::to_string(hits) +
                      (hits >= settings.MaxHits ? " 個以上のファイルが見つかりました" : " 個のファイルが見つかりました");
    // The lines under the count, one hit each.
    const int names = std::min(hits, std::max(settings.TextLines - 1, 0));
    for (int i = 0; i < names; ++i) run.MessageText += kCrLf + HitOf(ctx.live.Library, ta.Matches[i]).FileName;
    run.MessageTime = ctx.platform.clock->GetTickCount();
}

void Tb_Change(AppContext& ctx) {
    TypeAheadState& ta = ctx.typeAhead;
    ta.Pending = true;
    ta.ChangedAt = ctx.platform.clock->GetTickCount();
}

void Tb_Composition(AppContext& ctx, bool open) {
    ctx.typeAhead.Composing = open;
    if (!open) Tb_Change(ctx);
}

void TypeAheadTick(AppContext& ctx) {
    TypeAheadState& ta = ctx.typeAhead;
    if (!Resting(ctx)) {
        // A job may change the library, and the rename dialogue uses the
        // box for something else.
        DropTypeAheadResult(ctx);
        ta.Pending = false;
        return;
    }
    if (!ta.Pending || ta.Composing || !ctx.live.Settings.SearchAsYouType) return;
    if (ctx.platform.clock->GetTickCount() - ta.ChangedAt < kTypeAheadPauseMs) return;
    ta.Pending = false;
    const std::string text = ctx.platform.window->BoxText();
    if (ta.HaveResult && text == ta.ResultText) return;
    SearchAsTyped(ctx, text);
}

bool TakeTypeAheadResult(AppContext& ctx, const std::string& keyword) {
    TypeAheadState& ta = ctx.typeAhead;
    if (!ctx.live.Settings.SearchAsYouType || !ta.HaveResult || ta.Pending || ta.ResultText != keyword) return false;
    SearchState& s = ctx.live.Search;
    SplitKeyword(s, keyword);
    if (s.SearchWordCount == 0) return false;
    s.SearchHits.Clear();
    s.SearchHitCount = 0;
    const TrackLibrary& lib = ctx.live.Library;
    for (const TrackRef& m : ta.Matches)
        if (m.root < lib.RootCount && m.track < lib.LibraryRoots[m.root].TrackCount)
            AppendCapped(s.SearchHits, s.SearchHitCount, HitOf(lib, m));
    return true;
}

void DropTypeAheadResult(AppContext& ctx) {
    TypeAheadState& ta = ctx.typeAhead;
    ta.HaveResult = false;
    ta.ResultText.clear();
    ta.Matches.clear();
    ta.Next = TrackRef{};
    ta.Done = false;
}

}  // namespace tw
