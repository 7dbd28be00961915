// The program's entry point on Windows: builds the platform services, hands
// them to the portable start-up and runs the message loop.
#include "platform/win32/win_include.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/app_events.h"
#include "app/startup.h"
#include "model/app_context.h"
#include "platform/win32/win_basics.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_folder_watch.h"
#include "platform/win32/win_mci.h"
#include "platform/win32/win_shell.h"
#include "platform/win32/win_system.h"
#include "views/win32/win_dialog_host.h"
#include "views/win32/win_main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
    // The folder browser of the settings dialog is a COM object.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    tw::win::WinClock clock;
    tw::win::WinMessagePump pump;
    tw::win::WinFileSystem files;
    tw::win::WinTextCodec codec;
    tw::win::WinSystemInfo system;  // holds the single-instance claim until exit
    tw::win::WinMainWindow window;
    const tw::win::OwnerWindow owner = [&window] { return window.Handle(); };
    tw::win::WinShell shell(owner);
    tw::win::WinMessageBoxes boxes(owner);
    tw::win::WinMci mci;
    tw::win::WinDialogHost dialogs(window);
    tw::win::WinFolderWatcher watcher;

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
    platform.dialogs = &dialogs;
    platform.watcher = &watcher;
    tw::AppContext ctx(platform);
    tw::AppEvents events(ctx);
    window.Attach(ctx, events);

    tw::StartUp(ctx);
    if (!window.Loaded()) {  // another copy was running
        if (SUCCEEDED(com)) CoUninitialize();
        return 0;
    }

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return static_cast<int>(msg.wParam);
}
