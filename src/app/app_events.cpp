#include "app/app_events.h"

#include "app/main_tick.h"
#include "app/startup.h"
#include "app/work_scheduler.h"
#include "menus/popup_menus.h"
#include "window/visibility.h"
#include "window/window_input.h"

namespace tw {

void AppEvents::OnLoad() { Form_Load(ctx_); }

void AppEvents::OnUnload() { Form_Unload(ctx_); }

void AppEvents::OnTimer(TimerId id) {
    switch (id) {
    case TimerId::Main: MainTick(ctx_); break;
    case TimerId::Next: RunWorkStep(ctx_); break;
    case TimerId::Win: RunVisibilityTick(ctx_); break;
    case TimerId::Move: MoveTimer_Timer(ctx_); break;
    case TimerId::Popup: PopupTimer_Timer(ctx_); break;
    }
}

}  // namespace tw
