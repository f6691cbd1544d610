#include "frontends/common/TopWindows_win.h"

#include "platform/Win32Util_win.h"

namespace popyo::frontend {
namespace {

BOOL CALLBACK CollectHandle(HWND wnd, LPARAM out) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(wnd);
    return TRUE;
}

std::wstring FileNameOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> handles;
    ::EnumWindows(CollectHandle, reinterpret_cast<LPARAM>(&handles));
    return handles;
}

std::vector<TopWindow> SnapshotTopWindows(Scope scope, Program program) {
    const std::vector<HWND> handles = TopLevelWindows();
    std::vector<TopWindow> windows;
    windows.reserve(handles.size());
    for (HWND wnd : handles) {
        // Most top-level windows are hidden helpers; a rule scan skips them unread.
        if (scope == Scope::ShownWindows && (!::IsWindowVisible(wnd) || ::IsIconic(wnd))) {
            continue;
        }
        windows.push_back(Describe(wnd, program));
    }
    return windows;
}

TopWindow Describe(HWND wnd, Program program) {
    TopWindow window;
    window.handle = FromHwnd(wnd);
    window.title = Narrow(TitleOf(wnd));
    window.className = Narrow(ClassOf(wnd));
    if (program == Program::Named) {
        window.exe = Narrow(ExeOf(wnd));
    }
    window.rect = RectOf(wnd);
    window.visible = ::IsWindowVisible(wnd) != FALSE;
    window.minimized = ::IsIconic(wnd) != FALSE;
    return window;
}

TRect RectOf(HWND wnd) {
    RECT r{};
    if (!::GetWindowRect(wnd, &r)) {
        return {};
    }
    return {r.left, r.top, r.right, r.bottom};
}

// GetWindowTextLength asks the window's program (under Wine always, on Windows within the
// process), and waits for as long as the program sleeps; the text the system keeps needs
// no answer. A buffer filled to its end may hold a longer title: it grows and reads again.
std::wstring TitleOf(HWND wnd) {
    constexpr std::size_t kLongestTitle = 32768;
    std::wstring text(256, L'\0');
    for (;;) {
        const int n = ::InternalGetWindowText(wnd, text.data(), static_cast<int>(text.size()));
        const auto read = static_cast<std::size_t>(n > 0 ? n : 0);
        if (read + 1 < text.size() || text.size() >= kLongestTitle) {
            text.resize(read);
            return text;
        }
        text.assign(text.size() * 2, L'\0');
    }
}

std::wstring ClassOf(HWND wnd) {
    wchar_t name[256] = {};
    const int n = ::GetClassNameW(wnd, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::wstring ExeOf(HWND wnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) {
        return {};
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) {
            path.resize(size);
            return FileNameOf(path);
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

// Should the system answer with no monitor at all, the desktop window's rectangle stands in.
MonitorList Monitors() {
    MonitorList monitors = EnumerateMonitors();
    if (monitors.Empty()) {
        RECT r{};
        ::GetWindowRect(::GetDesktopWindow(), &r);
        monitors.Add({r.left, r.top, r.right, r.bottom});
    }
    return monitors;
}

}  // namespace popyo::frontend
