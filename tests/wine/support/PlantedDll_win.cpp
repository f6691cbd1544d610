// A DLL that the Wine tests plant beside a program under the name of a DLL it uses. Loaded,
// it leaves a file beside itself, its own name with ".ran" added, and otherwise does as
// little as it can: the exports a program imports from winmm and dwmapi answer as a system
// without them would, so that a program that takes it in keeps running and the test sees
// what ran.
#include <windows.h>

#include "platform/Win32Util_win.h"

extern "C" {

__declspec(dllexport) UINT WINAPI timeBeginPeriod(UINT) {
    return 97;  // TIMERR_NOCANDO
}
__declspec(dllexport) UINT WINAPI timeEndPeriod(UINT) {
    return 97;
}
__declspec(dllexport) HRESULT WINAPI DwmGetWindowAttribute(HWND, DWORD, PVOID, DWORD) {
    return E_NOTIMPL;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 8];
        const DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            ::lstrcatW(path, L".ran");
            const popyo::UniqueHandle marker(::CreateFileW(
                path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        }
    }
    return TRUE;
}

}  // extern "C"
