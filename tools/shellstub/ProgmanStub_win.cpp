// ProgmanStub: stands in for the shell's desktop window where the desktop has none (Wine,
// other shells). It owns a hidden top-level window of class "Progman" titled
// "Program Manager" that covers the screen, as the Windows shell's does, and lives until the
// window is closed or the process is killed.
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"Progman";
constexpr wchar_t kTitle[] = L"Program Manager";

LRESULT CALLBACK StubWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
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
    HWND wnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, kTitle, WS_POPUP, 0, 0,
                                 ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                 nullptr, nullptr, instance, nullptr);
    if (wnd == nullptr) {
        return 1;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
