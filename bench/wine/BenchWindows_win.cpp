// BenchWindows: plain top-level windows for the engine to hold and slide, in a process that
// does nothing but pump their messages (the engine moves another process's window
// synchronously, through its owner's message loop).
//
//   BenchWindows TAG COUNT LEFT TOP WIDTH HEIGHT
//
// opens COUNT windows titled "TAG 0" .. "TAG COUNT-1", WIDTH x HEIGHT, the first at
// (LEFT, TOP) and each next one below the last. They are shown without activation, so the
// foreground stays where it was. The process ends when its last window is closed.
#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"PopyoBenchWindow";
constexpr int kGap = 4;

struct Layout {
    std::wstring tag;
    int count = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
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

bool ParseArguments(Layout& layout) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr) {
        return false;
    }
    const bool ok = argc == 7;
    if (ok) {
        layout.tag = argv[1];
        const std::array<int*, 5> numbers{&layout.count, &layout.left, &layout.top, &layout.width,
                                          &layout.height};
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            *numbers[i] = static_cast<int>(std::wcstol(argv[i + 2], nullptr, 10));
        }
    }
    ::LocalFree(argv);
    return ok && layout.count > 0 && layout.width > 0 && layout.height > 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Layout layout;
    if (!ParseArguments(layout)) {
        return 2;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (::RegisterClassExW(&wc) == 0) {
        return 1;
    }
    int open = 0;
    for (int i = 0; i < layout.count; ++i) {
        const std::wstring title = layout.tag + L" " + std::to_wstring(i);
        const int top = layout.top + i * (layout.height + kGap);
        HWND wnd =
            ::CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, layout.left, top,
                              layout.width, layout.height, nullptr, nullptr, instance, &open);
        if (wnd == nullptr) {
            return 1;
        }
        ++open;
        ::ShowWindow(wnd, SW_SHOWNOACTIVATE);
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
