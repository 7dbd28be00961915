#pragma once
// The program's answer to its main window's events: loading and unloading,
// and the five timers' ticks, each to the step it runs.
#include "platform/main_window.h"

namespace tw {

struct AppContext;

class AppEvents final : public MainWindowEvents {
public:
    explicit AppEvents(AppContext& ctx) : ctx_(ctx) {}
    void OnLoad() override;
    void OnUnload() override;
    void OnTimer(TimerId id) override;

private:
    AppContext& ctx_;
};

}  // namespace tw
