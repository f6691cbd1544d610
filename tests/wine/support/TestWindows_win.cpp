// TestWindows: plain top-level windows in a process of their own, for the engine to slide.
// Each argument "TITLE=LEFT,TOP,RIGHT,BOTTOM" opens one window with that title and window
// rectangle, shown without activation so the foreground stays where the test put it;
// "TITLE=LEFT,TOP,RIGHT,BOTTOM+MS" shows it only MS milliseconds after creating it. The
// process pumps messages, as the engine's moves of its windows need, and ends when the last
// window is closed. A window opens a real popup menu at the screen point packed into the
// lParam of kOpenMenu, as a right click would; WM_CANCELMODE closes it. A posted kSleep
// stops the process taking messages for wParam milliseconds, as a busy program does.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"PopyoTestWindow";
constexpr UINT kOpenMenu = WM_APP + 1;
constexpr UINT kSleep = WM_APP + 2;
constexpr UINT_PTR kShowTimer = 1;

// Runs the menu's own modal loop until an item is chosen or the menu is cancelled; the loop
// keeps dispatching the messages of the process's other windows.
void OpenMenu(HWND wnd, LPARAM at) {
    HMENU menu = ::CreatePopupMenu();
    for (UINT id = 1; id <= 4; ++id) {
        ::AppendMenuW(menu, MF_STRING, id,
                      (L"A menu item wide enough to spill over " + std::to_wstring(id)).c_str());
    }
    const POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0,
                     wnd, nullptr);
    ::DestroyMenu(menu);
}

LRESULT CALLBACK TestWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == kOpenMenu) {
        OpenMenu(wnd, lParam);
        return 0;
    }
    if (msg == kSleep) {
        ::Sleep(static_cast<DWORD>(wParam));
        return 0;
    }
    if (msg == WM_TIMER && wParam == kShowTimer) {
        ::KillTimer(wnd, kShowTimer);
        ::ShowWindow(wnd, SW_SHOWNOACTIVATE);
        return 0;
    }
    if (msg == WM_DESTROY) {
        auto* open = reinterpret_cast<int*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (open != nullptr && --*open == 0) {
            ::PostQuitMessage(0);
        }
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

bool OpenWindow(HINSTANCE instance, const std::wstring& arg, int& open) {
    const auto eq = arg.rfind(L'=');
    RECT r{};
    unsigned showAfter = 0;
    if (eq == std::wstring::npos ||
        std::swscanf(arg.c_str() + eq + 1, L"%ld,%ld,%ld,%ld+%u", &r.left, &r.top, &r.right,
                     &r.bottom, &showAfter) < 4) {
        return false;
    }
    const std::wstring title = arg.substr(0, eq);
    HWND wnd =
        ::CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, r.left, r.top,
                          r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (wnd == nullptr) {
        return false;
    }
    ++open;
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&open));
    if (showAfter > 0) {
        ::SetTimer(wnd, kShowTimer, showAfter, nullptr);
    } else {
        ::ShowWindow(wnd, SW_SHOWNOACTIVATE);
    }
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TestWndProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (::RegisterClassExW(&wc) == 0) {
        return 1;
    }
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    int open = 0;
    bool ok = argv != nullptr && argc > 1;
    for (int i = 1; ok && i < argc; ++i) {
        ok = OpenWindow(instance, argv[i], open);
    }
    ::LocalFree(argv);
    if (!ok) {
        return 2;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
