#pragma once
// The settings dialog: six tab pages that edit a copy of the settings,
// stored only on OK after the search-target check and the removal of
// folders registered twice. This is the dialog's logic; the platform's
// window shows its controls and passes their events here.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/state_record.h"

namespace tw {

struct AppContext;
struct SettingsDialogState;
enum class BoxAnswer;
enum class BoxButtons;
enum class BoxIcon;

// The dialog's controls. Each kind is an array: `index` is its element.
enum class SettingsControlKind { Label, FolderList, Button, Swatch, Check, Combo, Hotkey, TabStrip, Ok, Cancel };

constexpr int kSettingsTabCount = 6;
constexpr int kSettingsCheckCount = 20;

struct SettingsControl {
    SettingsControlKind kind;
    int index;
    // "page,left,top,width,height" in twips for a control of a tab page;
    // a tag without a comma is not placed by page (the strip, OK, Cancel).
    const char* tag;
    const char* caption;
};

// Every control of the dialog, in the dialog's control order.
const std::vector<SettingsControl>& SettingsControls();

// The tab pages: caption and key, in order.
struct SettingsTab {
    const char* caption;
    const char* key;
};
const std::array<SettingsTab, kSettingsTabCount>& SettingsTabs();

// Client area, strip and buttons, in twips (15 to a pixel at 96 dpi).
constexpr int kSettingsClientWidth = 6000, kSettingsClientHeight = 4545;
struct TwipRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
};
constexpr TwipRect kSettingsTabStrip{120, 120, 5775, 3855};
constexpr TwipRect kSettingsOk{3120, 4080, 1215, 375};
constexpr TwipRect kSettingsCancel{4440, 4080, 1215, 375};

struct LayoutTag {
    std::string page;
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// A control's layout tag: the page before the first comma and four numbers
// after it. Nothing for a tag without a comma (not placed by page) or a
// malformed one (missing parts, not numbers), whose placement is skipped.
std::optional<LayoutTag> ParseLayoutTag(const std::string& tag);

// Twips to pixels on a display of `dpi` pixels per inch, rounded.
int TwipsToPixels(int32_t twips, int dpi);

// The folder list's two columns, "フォルダ" and "子フォルダ": 65 % and 20 %
// of the list's width in pixels, rounded as twips are.
struct FolderColumns {
    int folder = 0, subfolders = 0;
};
FolderColumns FolderColumnWidths(int listWidth);

// The player commands' names, the position being the command's code.
const std::array<std::string, 10>& CommandNames();

// Whether two watched folders overlap: 0 no, 1 remove j, 2 remove k.
// Paths end with a backslash, so C:\MUSIC\ and C:\MUSIC2\ never match.
int CompareFolders(const WatchFolderSet& set, int j, int k);

// At least one search target: the file name, the path, or the tags with at
// least one tag field.
bool SearchTargetChosen(const Settings& s);

// Whether the library must be registered again: the folders (count, paths
// or sub-folder flags), the use of tags or which tag is preferred changed.
bool FoldersDiffer(const Settings& a, const Settings& b);

// What the dialog shows, worked out from the copy being edited.
struct SettingsView {
    std::vector<std::pair<std::string, bool>> folders;  // path, with sub-folders
    RgbColor back, line;
    std::array<bool, kSettingsCheckCount> checks{};  // Ch (0) to Ch (19)
    int32_t hotkey = 0;                  // the summoning chord, 0 for none
    std::array<int16_t, 5> mapping{};    // CB (0) to CB (4): the selected position
    bool deleteEnabled = false;          // Com (1)
    bool playerOptionsEnabled = false;   // Ch (1), Ch (2), CB (0..4), Com (4)
    bool tagFieldsEnabled = false;       // Ch (11) to Ch (14)
    bool transparencyEnabled = false;    // Ch (7)
};

// The services of the dialog's window the logic asks for.
class SettingsDialogUi {
public:
    virtual ~SettingsDialogUi() = default;
    // The system's folder browser from the computer's drives; "" when
    // cancelled or when the item is no file-system folder.
    virtual std::string SelectFolder() = 0;
    // The system's colour dialog (red + 256 green + 65536 blue), or -1
    // when cancelled.
    virtual int32_t SelectColor(int32_t initial) = 0;
    // A message box owned by the dialog, titled "Tunewhistle 3.10".
    virtual BoxAnswer Ask(const std::string& text, BoxIcon icon, BoxButtons buttons) = 0;
};

// The dialog's events. Each edits the copy only; Settings changes on OK
// (stored) and Cancel (put back as it was at the opening).
class SettingsDialog {
public:
    explicit SettingsDialog(AppContext& ctx);

    // A new use: fresh copies, SettingsApplied false.
    void Start();
    SettingsView View(bool anyFolderSelected) const;
    const Settings& Work() const;

    void OnCheck(int index, bool ticked);
    void OnMapping(int index, int position);
    void OnDefaultMapping();
    // The hotkey control's chord (0: none; a key without a modifier is
    // none too).
    void OnHotkey(int32_t chord);
    void OnAddFolder(SettingsDialogUi& ui);
    void OnDeleteFolders(const std::vector<bool>& selectedRows);
    void OnPickColor(SettingsDialogUi& ui, bool background);
    // True when the dialog is to be hidden (stored); false keeps it open.
    bool OnOk(SettingsDialogUi& ui);
    void OnCancel();
    // The close box: hides the dialog (true) unless the program is ending,
    // when the window may really close (false). Settings are not touched.
    bool OnClose() const;

private:
    AppContext& ctx_;
    SettingsDialogState& st_;
};

// The 設定 menu item's call: shows the dialog modally and returns when it
// has been hidden, with SettingsApplied (closed with OK) and FoldersChanged
// in the run-time state and, when applied, the new Settings.
void SetStart(AppContext& ctx);

}  // namespace tw
