// ProgmanStub: stands in for the shell's desktop window where the desktop has none (Wine,
// other shells). It owns a hidden top-level window of class "Progman" titled
// "Program Manager" that covers the virtual screen, the bounding box of all monitors, as the
// Windows shell's does, also after the monitors change; it lives until the window is closed
// or the process is killed. "left=X" puts its left side at X instead, as a shell that starts
// again on another desktop; "announce" broadcasts TaskbarCreated once the window is there,
// as a starting shell does.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <string_view>

namespace {

constexpr wchar_t kClassName[] = L"Progman";
constexpr wchar_t kTitle[] = L"Program Manager";

RECT VirtualScreen() {
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

LRESULT CALLBACK StubWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_DISPLAYCHANGE) {
        const RECT r = VirtualScreen();
        ::SetWindowPos(wnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &StubWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (::RegisterClassExW(&wc) == 0) {
        return 1;
    }
    // Created without WS_VISIBLE and never shown: the rectangle is what matters to those
    // who look the window up.
    RECT r = VirtualScreen();
    bool announce = false;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 1; argv != nullptr && i < argc; ++i) {
        const std::wstring_view arg = argv[i];
        if (arg == L"announce") {
            announce = true;
        } else if (arg.starts_with(L"left=")) {
            r.left = static_cast<LONG>(std::wcstol(argv[i] + 5, nullptr, 10));
        }
    }
    ::LocalFree(argv);
    HWND wnd =
        ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, kTitle, WS_POPUP, r.left, r.top,
                          r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (wnd == nullptr) {
        return 1;
    }
    if (announce) {
        ::SendNotifyMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
