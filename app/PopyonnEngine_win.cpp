// Program entry: start the engine window, then run the message loop until the engine ends.
#include <windows.h>

#include "app/EngineWindow_win.h"
#include "engine/frmPopyonnEngine.h"
#include "platform/Win32WindowSystem_win.h"
#include "settings/SettingsDialog_win.h"
#include "settings/frmPopyonnEngineSetting.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Every DLL loaded from here on, and every DLL it needs, comes from the system folder
    // alone: never from the program's folder, which every program of the user may write to.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    popyo::Win32WindowSystem ws;
    // The settings dialog is the one form the engine runs modally.
    ws.SetModalView([](HWND owner, popyo::TModalForm& form, const bool& terminated) {
        popyo::RunSettingsDialogModal(owner, dynamic_cast<popyo::TForm2&>(form), terminated);
    });
    popyo::TformPopyonnEngine engine(ws);
    // Start-up runs inside the window's creation; a refused second start has already asked
    // the loop to end by the time it begins.
    popyo::EngineWindow window(instance, engine, ws);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
