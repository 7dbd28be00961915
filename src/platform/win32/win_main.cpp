// The program's entry point on Windows: builds the platform services, hands
// them to the portable start-up and runs the message loop.
#include "platform/win32/win_include.h"

#include <commctrl.h>

#include "core/app_context.h"
#include "core/startup.h"
#include "platform/win32/win_basics.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_main_window.h"
#include "platform/win32/win_mci.h"
#include "platform/win32/win_shell.h"
#include "platform/win32/win_system.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);

    tw::win::WinClock clock;
    tw::win::WinMessagePump pump;
    tw::win::WinFileSystem files;
    tw::win::WinTextCodec codec;
    tw::win::WinSystemInfo system;  // holds the single-instance claim until exit
    tw::win::WinMainWindow window;
    tw::win::WinShell shell(window);
    tw::win::WinMessageBoxes boxes(window);
    tw::win::WinMci mci;

    tw::Platform platform;
    platform.clock = &clock;
    platform.pump = &pump;
    platform.files = &files;
    platform.codec = &codec;
    platform.shell = &shell;
    platform.boxes = &boxes;
    platform.system = &system;
    platform.window = &window;
    platform.mci = &mci;
    tw::AppContext ctx(platform);
    window.Attach(ctx);

    tw::StartUp(ctx);
    if (!window.Loaded()) return 0;  // another copy was running

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
