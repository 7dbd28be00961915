#include "dialogs/version_dialog.h"

#include "model/app_context.h"
#include "model/version.h"
#include "platform/dialog_host.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "playback/file_ops.h"

namespace tw {

const std::array<VersionLabel, kVersionLabels>& VersionLabels() {
    static const std::array<VersionLabel, kVersionLabels> labels = {{
        {std::string(kAppTitle) + "  version " + kVersionText, {1080, 360, 2250, 195}, false},
        {"© 2026 Tunewhistle の開発者たち", {840, 600, 2700, 195}, false},
        {kHomePage, {840, 960, 2685, 180}, true},
        {"意見・要望・バグ報告などありましたら、", {720, 1680, 2970, 180}, false},
        {kMailAddress, {1440, 1200, 1365, 180}, true},
        {"readme.txt を読む", {720, 2280, 1365, 180}, true},
        {"version.txt を読む", {2280, 2280, 1365, 180}, true},
        {"メールか掲示板にてお願いします。", {840, 1920, 2655, 180}, false},
    }};
    return labels;
}

VersionDialog::VersionDialog(AppContext& ctx) : ctx_(ctx) {}

std::vector<int> VersionDialog::OnFormMouseMove() {
    std::vector<int> repaint;
    for (int i = 0; i < kVersionLabels; ++i) {
        if (hover_[i] <= 0) continue;
        --hover_[i];
        repaint.push_back(i);
    }
    return repaint;
}

std::vector<int> VersionDialog::OnLabelMouseMove(int index) {
    if (index >= 0 && index < kVersionLabels && VersionLabels()[index].link) hover_[index] = 2;
    return OnFormMouseMove();
}

std::vector<int> VersionDialog::OnWatch(PixelPoint pointer, PixelRect dialog) {
    if (dialog.Contains(pointer.x, pointer.y)) return {};
    return OnFormMouseMove();
}

bool VersionDialog::LinkColor(int index, RgbColor& color) const {
    if (index < 0 || index >= kVersionLabels || !VersionLabels()[index].link) return false;
    if (hover_[index] == 1) color = kLinkHot;
    else if (hover_[index] == 0) color = kLinkPlain;
    else return false;
    return true;
}

void VersionDialog::OnLabelMouseDown(int index, int16_t button) {
    if (button != 1) return;
    const std::string folder = ctx_.platform.system->ProgramFolder();
    switch (index) {
    case 2: OpenLink(ctx_, kHomePage); break;
    case 4: OpenLink(ctx_, std::string("mailto:") + kMailAddress); break;
    case 5: ctx_.platform.shell->Execute(false, folder + "\\readme.txt", "", "", kSwShowNA); break;
    case 6: ctx_.platform.shell->Execute(false, folder + "\\version.txt", "", "", kSwShowNA); break;
    default: break;
    }
}

void ShowVersionDialog(AppContext& ctx) {
    VersionDialog dialog(ctx);
    if (ctx.platform.dialogs) ctx.platform.dialogs->RunVersionDialog(dialog);
}

}  // namespace tw
