#pragma once
// The version dialog: the version, a few lines of text and four links that
// light up under the pointer. This is its logic; the platform's window shows
// the labels and passes the pointer and clicks here.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/settings_dialog.h"
#include "model/state_record.h"
#include "model/window_state.h"

namespace tw {

struct AppContext;

constexpr int kVersionLabels = 8;
constexpr int kVersionClientWidth = 4365, kVersionClientHeight = 3165;  // twips

struct VersionLabel {
    std::string text;
    TwipRect at;
    bool link;
};

// The labels 0 to 7 and the close button, in twips.
const std::array<VersionLabel, kVersionLabels>& VersionLabels();
constexpr TwipRect kVersionClose{2400, 2640, 1695, 375};
inline const char kVersionCloseCaption[] = "閉じる";

// Where the links lead: this project's pages.
inline const char kHomePage[] = "https://tunewhistle.example.org/";
inline const char kMailAddress[] = "support@tunewhistle.example.org";

// Link colours: under the pointer, and at rest.
constexpr RgbColor kLinkHot{0, 192, 192};
constexpr RgbColor kLinkPlain{0, 0, 255};

class VersionDialog {
public:
    explicit VersionDialog(AppContext& ctx);

    // 2: the pointer was just seen over the link; 1 highlighted; 0 plain.
    const std::array<int16_t, kVersionLabels>& HoverState() const { return hover_; }

    // Each returns the labels to repaint; a label's colour then follows
    // LinkColor (and stays as it was where that gives none).
    std::vector<int> OnFormMouseMove();
    std::vector<int> OnLabelMouseMove(int index);
    // The 200 ms pointer watch: a pointer outside the dialog counts as a
    // move over the dialog, so a link left through the edge goes plain.
    std::vector<int> OnWatch(PixelPoint pointer, PixelRect dialog);
    // The colour label i is to take, if its state gives one.
    bool LinkColor(int index, RgbColor& color) const;

    // A press on label i: a link opens (the left button only).
    void OnLabelMouseDown(int index, int16_t button);

private:
    AppContext& ctx_;
    std::array<int16_t, kVersionLabels> hover_{};
};

// The バージョン情報 menu item's call: shows the dialog modally and unloads
// it when it has been closed.
void ShowVersionDialog(AppContext& ctx);

}  // namespace tw
