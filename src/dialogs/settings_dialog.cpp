#include "dialogs/settings_dialog.h"

#include <cstdlib>

#include "model/app_context.h"
#include "model/defaults.h"
#include "model/version.h"
#include "platform/dialog_host.h"
#include "platform/message_box.h"
#include "window/window_layout.h"

namespace tw {

namespace {

using K = SettingsControlKind;

const char kNoTarget[] = "検索対象が一つも選ばれていません。最低一つの検索対象を選んでください。";
const char kDuplicates[] =
    "フォルダ（子フォルダ）の二重登録はできません。二重登録を自動的に削除しますか？";
const char kSubfolders[] = "子フォルダも読み込みますか？";

// The setting a check box edits (Ch (7) shows UseTransparency inverted).
template <class S>
auto& CheckSetting(S& s, int i) {
    switch (i) {
    case 0: return s.UseInternalPlayer;
    case 1: return s.LoopAll;
    case 2: return s.ShuffleOnList;
    case 3: return s.AutoHide;
    case 4: return s.AlwaysOnTop;
    case 5: return s.NoExternalBatch;
    case 6: return s.HideText;
    case 7: return s.UseTransparency;
    case 8: return s.MatchFileName;
    case 9: return s.MatchPath;
    case 10: return s.UseTagInfo;
    case 11: return s.MatchTrackName;
    case 12: return s.MatchArtist;
    case 13: return s.MatchAlbum;
    case 14: return s.MatchComment;
    case 15: return s.MediaKeys;
    case 16: return s.SearchAsYouType;
    case 18: return s.WatchForChanges;
    case 19: return s.ResumePlay;
    default: return s.PreferId3v2;
    }
}

bool ParseNumber(const std::string& text, int32_t& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < -2147483647L - 1 || v > 2147483647L) return false;
    out = static_cast<int32_t>(v);
    return true;
}

std::string AsciiUpper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string AsciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

void RemoveFolder(WatchFolderSet& set, int i) {
    if (set.WatchFolderCount <= 1) {
        set.WatchFolders.Clear();
        set.WatchFolderCount = 0;
        return;
    }
    set.WatchFolders.items.erase(set.WatchFolders.items.begin() + i);
    --set.WatchFolderCount;
}

int32_t Pack(RgbColor c) { return c.Red + 256 * c.Green + 65536 * c.Blue; }

}  // namespace

const std::vector<SettingsControl>& SettingsControls() {
    static const std::vector<SettingsControl> controls = {
        {K::TabStrip, 0, "", ""},
        {K::Label, 0, "Folder,480,720,0,0", "検索対象にしたいmp3が格納されているフォルダを設定します。"},
        {K::FolderList, 0, "Folder,360,1080,5295,2175", ""},
        {K::Button, 0, "Folder,3120,3360,1095,375", "追加"},
        {K::Button, 1, "Folder,4320,3360,1095,375", "削除"},
        {K::Button, 2, "Color,600,1080,1335,375", "背景色の変更"},
        {K::Swatch, 0, "Color,600,1560,1335,255", ""},
        {K::Label, 1, "Color,2040,1220,3375,375", "ウインドウ内の背景の色を設定します。"},
        {K::Button, 3, "Color,600,1920,1335,375", "線の色の変更"},
        {K::Swatch, 1, "Color,600,2400,1335,255", ""},
        {K::Label, 2, "Color,2040,2040,3375,375", "ウインドウに描写する線の色を設定します。"},
        {K::Check, 0, "Play,720,720,3855,255", "内部プレイヤーを使用する"},
        {K::Check, 1, "Play,720,1080,3855,255", "全曲をループする"},
        {K::Check, 2, "Play,720,1320,3855,255", "再生リスト登録時に曲順をシャッフルする"},
        {K::Label, 3, "Play,480,1920,0,0", "ホイール 上方向"},
        {K::Label, 4, "Play,480,2280,0,0", "ホイール 下方向"},
        {K::Label, 5, "Play,480,2640,0,0", "第３ボタン"},
        {K::Label, 6, "Play,480,3000,0,0", "第４ボタン"},
        {K::Label, 7, "Play,480,3360,0,0", "第５ボタン"},
        {K::Combo, 0, "Play,2160,1920,2055,0", ""},
        {K::Combo, 1, "Play,2160,2280,2055,0", ""},
        {K::Combo, 2, "Play,2160,2640,2055,0", ""},
        {K::Combo, 3, "Play,2160,3000,2055,0", ""},
        {K::Combo, 4, "Play,2160,3360,2055,0", ""},
        {K::Button, 4, "Play,4440,3360,1095,375", "デフォルト"},
        {K::Check, 8, "Search,720,840,4455,255", "ファイル名を検索対称にする"},
        {K::Check, 9, "Search,720,1080,4455,255", "パス名を検索対称にする"},
        {K::Check, 10, "Search,720,1440,4455,255", "ファイルのタグ情報を検索対称に使う"},
        {K::Check, 11, "Search,720,1800,4455,255", "トラック名を検索対称にする"},
        {K::Check, 12, "Search,720,2040,4455,255", "アーティスト名を検索対称にする"},
        {K::Check, 13, "Search,720,2280,4455,255", "アルバム名を検索対称にする"},
        {K::Check, 14, "Search,720,2520,4455,255", "コメントを検索対称にする"},
        {K::Check, 3, "Else,720,840,3255,255", "自動的にウィンドウ隠す"},
        {K::Check, 4, "Else,720,1080,3255,255", "常に手前に表示する"},
        {K::Check, 5, "Else,720,1320,3255,255", "外部プレイヤーで一括再生しない"},
        {K::Check, 6, "Else,720,1560,3255,255", "テキスト部分を隠す"},
        {K::Check, 7, "Else,720,1800,3255,255", "ウィンドウの透明処理を無効にする"},
        {K::Label, 8, "More,480,720,0,0", "ウィンドウを呼び出すホットキー"},
        {K::Hotkey, 0, "More,720,1020,2655,315", ""},
        {K::Check, 15, "More,720,1680,4455,255", "メディアキーで内部プレイヤーを操作する"},
        {K::Check, 16, "More,720,1920,4455,255", "入力中に検索する"},
        {K::Check, 17, "More,720,2160,4455,255", "タグは ID3v2 を ID3v1 より優先する"},
        {K::Check, 18, "More,720,2520,4455,255", "フォルダを監視して変更を自動で登録する"},
        {K::Check, 19, "More,720,2760,4455,255", "前回停止した位置から再生を再開する"},
        {K::Ok, 0, "", "OK"},
        {K::Cancel, 0, "", "キャンセル"},
    };
    return controls;
}

const std::array<SettingsTab, kSettingsTabCount>& SettingsTabs() {
    static const std::array<SettingsTab, kSettingsTabCount> tabs = {{{"mp3フォルダ", "Folder"},
                                                                     {"配色", "Color"},
                                                                     {"内部プレイヤー", "Play"},
                                                                     {"検索", "Search"},
                                                                     {"その他", "Else"},
                                                                     {"拡張", "More"}}};
    return tabs;
}

const std::array<std::string, 10>& CommandNames() {
    static const std::array<std::string, 10> names = {
        "停止ボタン", "再生/一時停止", "再生",   "再生中の曲",    "早送り",
        "巻戻し",     "次の曲",        "前の曲", "次の曲/早送り", "前の曲/巻戻し"};
    return names;
}

std::optional<LayoutTag> ParseLayoutTag(const std::string& tag) {
    size_t commas[4];
    size_t from = 0;
    for (size_t& c : commas) {
        c = tag.find(',', from);
        if (c == std::string::npos) return std::nullopt;  // no comma: not placed; fewer: malformed
        from = c + 1;
    }
    LayoutTag t;
    t.page = tag.substr(0, commas[0]);
    int32_t* fields[4] = {&t.left, &t.top, &t.width, &t.height};
    for (int i = 0; i < 4; ++i) {
        const size_t begin = commas[i] + 1;
        const size_t end = i < 3 ? commas[i + 1] : tag.size();
        if (!ParseNumber(tag.substr(begin, end - begin), *fields[i])) return std::nullopt;
    }
    if (t.page.empty()) return std::nullopt;
    return t;
}

int TwipsToPixels(int32_t twips, int dpi) {
    const int64_t scaled = static_cast<int64_t>(twips) * dpi;
    return static_cast<int>((scaled >= 0 ? scaled + 720 : scaled - 720) / 1440);
}

FolderColumns FolderColumnWidths(int listWidth) {
    auto percent = [listWidth](int p) { return (listWidth * p + 50) / 100; };
    return {percent(65), percent(20)};
}

int CompareFolders(const WatchFolderSet& set, int j, int k) {
    const WatchFolder& a = set.WatchFolders[j];
    const WatchFolder& b = set.WatchFolders[k];
    const std::string A = AsciiUpper(a.Path), B = AsciiUpper(b.Path);
    const size_t m = std::min(A.size(), B.size());
    if (A.compare(0, m, B, 0, m) != 0) return 0;
    if (A == B) return a.IncludeSubfolders ? 2 : 1;
    if (A.size() < B.size()) return a.IncludeSubfolders ? 2 : 0;  // B lies inside A
    return b.IncludeSubfolders ? 1 : 0;                           // A lies inside B
}

bool SearchTargetChosen(const Settings& s) {
    if (s.MatchFileName || s.MatchPath) return true;
    return s.UseTagInfo && (s.MatchTrackName || s.MatchArtist || s.MatchAlbum || s.MatchComment);
}

bool FoldersDiffer(const Settings& a, const Settings& b) {
    const WatchFolderSet &x = a.WatchFolderSet, &y = b.WatchFolderSet;
    if (x.WatchFolderCount != y.WatchFolderCount) return true;
    if ((a.UseTagInfo != 0) != (b.UseTagInfo != 0)) return true;
    if ((a.PreferId3v2 != 0) != (b.PreferId3v2 != 0)) return true;  // other tag texts
    for (int i = 0; i < x.WatchFolderCount; ++i) {
        const WatchFolder &p = x.WatchFolders[i], &q = y.WatchFolders[i];
        if (p.Path != q.Path || (p.IncludeSubfolders != 0) != (q.IncludeSubfolders != 0)) return true;
    }
    return false;
}

SettingsDialog::SettingsDialog(AppContext& ctx) : ctx_(ctx), st_(ctx.settingsDialog) {}

void SettingsDialog::Start() {
    ctx_.run.SettingsApplied = false;
    st_.WorkSettings = ctx_.live.Settings;
    st_.SettingsAtOpen = ctx_.live.Settings;
}

const Settings& SettingsDialog::Work() const { return st_.WorkSettings; }

SettingsView SettingsDialog::View(bool anyFolderSelected) const {
    const Settings& w = st_.WorkSettings;
    SettingsView v;
    for (int i = 0; i < w.WatchFolderSet.WatchFolderCount; ++i) {
        const WatchFolder& f = w.WatchFolderSet.WatchFolders[i];
        v.folders.emplace_back(f.Path, f.IncludeSubfolders != 0);
    }
    v.back = w.BackColor;
    v.line = w.TextColor;
    for (int i = 0; i < kSettingsCheckCount; ++i) v.checks[i] = CheckSetting(w, i) != 0;
    v.hotkey = w.Hotkey;
    v.checks[7] = !v.checks[7];  // ticked means "no transparency"
    for (int i = 0; i < 5; ++i) v.mapping[i] = w.ButtonMap[i];
    v.deleteEnabled = w.WatchFolderSet.WatchFolderCount > 0 && anyFolderSelected;
    v.playerOptionsEnabled = w.UseInternalPlayer != 0;
    v.tagFieldsEnabled = w.UseTagInfo != 0;
    v.transparencyEnabled = ctx_.run.OsKind == kOsNt5;  // layered windows exist only there
    return v;
}

void SettingsDialog::OnCheck(int index, bool ticked) {
    if (index < 0 || index >= kSettingsCheckCount) return;
    CheckSetting(st_.WorkSettings, index) = ToVBool(index == 7 ? !ticked : ticked);
}

void SettingsDialog::OnMapping(int index, int position) {
    if (index < 0 || index > 4 || position < 0 || position > 9) return;
    st_.WorkSettings.ButtonMap[index] = static_cast<int16_t>(position);
}

void SettingsDialog::OnHotkey(int32_t chord) {
    // A key alone would be taken from every program: it needs a modifier.
    st_.WorkSettings.Hotkey = chord > 0 && chord <= 0xFFF && (chord >> 8) != 0 && (chord & 0xFF) != 0 ? chord : 0;
}

void SettingsDialog::OnDefaultMapping() { st_.WorkSettings.ButtonMap = kDefaultButtonMap; }

void SettingsDialog::OnAddFolder(SettingsDialogUi& ui) {
    std::string path = ui.SelectFolder();
    if (path.empty()) return;
    path = AsciiLower(path);
    if (path.back() != '\\') path += '\\';
    const BoxAnswer answer = ui.Ask(kSubfolders, BoxIcon::Question, BoxButtons::YesNoCancel);
    if (answer == BoxAnswer::Cancel) return;
    WatchFolderSet& set = st_.WorkSettings.WatchFolderSet;
    AppendCapped(set.WatchFolders, set.WatchFolderCount, WatchFolder{path, ToVBool(answer == BoxAnswer::Yes)});
}

void SettingsDialog::OnDeleteFolders(const std::vector<bool>& selectedRows) {
    WatchFolderSet& set = st_.WorkSettings.WatchFolderSet;
    bool any = false;
    for (bool s : selectedRows) any = any || s;
    if (!any || set.WatchFolderCount <= 0) return;  // nothing chosen: nothing goes
    if (set.WatchFolderCount == 1) {
        RemoveFolder(set, 0);
        return;
    }
    for (int i = set.WatchFolderCount - 1; i >= 0; --i)
        if (static_cast<size_t>(i) < selectedRows.size() && selectedRows[i]) RemoveFolder(set, i);
}

void SettingsDialog::OnPickColor(SettingsDialogUi& ui, bool background) {
    Settings& w = st_.WorkSettings;
    RgbColor& target = background ? w.BackColor : w.TextColor;
    const int32_t c = ui.SelectColor(Pack(target));
    if (c < 0) return;
    target = {static_cast<int16_t>(c % 256), static_cast<int16_t>((c / 256) % 256),
              static_cast<int16_t>((c / 65536) % 256)};
    RepaintOutline(ctx_, w.BackColor, w.TextColor);  // the preview
}

bool SettingsDialog::OnOk(SettingsDialogUi& ui) {
    Settings& w = st_.WorkSettings;
    if (!SearchTargetChosen(w)) {
        ui.Ask(kNoTarget, BoxIcon::Information, BoxButtons::Ok);
        return false;
    }
    RuntimeState& run = ctx_.run;
    run.FoldersChanged = FoldersDiffer(w, ctx_.live.Settings);
    if (run.FoldersChanged) {
        WatchFolderSet& set = w.WatchFolderSet;
        bool asked = false;
        for (bool removed = true; removed;) {
            removed = false;
            for (int j = 0; j < set.WatchFolderCount && !removed; ++j) {
                for (int k = j + 1; k < set.WatchFolderCount && !removed; ++k) {
                    const int r = CompareFolders(set, j, k);
                    if (r == 0) continue;
                    if (!asked) {
                        if (ui.Ask(kDuplicates, BoxIcon::Information, BoxButtons::YesNo) != BoxAnswer::Yes)
                            return false;
                        asked = true;
                    }
                    RemoveFolder(set, r == 1 ? j : k);
                    removed = true;  // and the scan starts again
                }
            }
        }
    }
    run.SettingsApplied = true;
    ctx_.live.Settings = w;
    return true;
}

void SettingsDialog::OnCancel() { ctx_.live.Settings = st_.SettingsAtOpen; }

bool SettingsDialog::OnClose() const { return !ctx_.run.Quitting; }

void SetStart(AppContext& ctx) {
    SettingsDialog dialog(ctx);
    dialog.Start();
    if (ctx.platform.dialogs) ctx.platform.dialogs->RunSettingsDialog(dialog);
}

}  // namespace tw
