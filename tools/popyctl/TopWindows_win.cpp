#include "tools/popyctl/TopWindows_win.h"

#include "platform/Win32Util_win.h"

namespace popyctl {
namespace {

BOOL CALLBACK CollectHandle(HWND wnd, LPARAM out) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(wnd);
    return TRUE;
}

// For another process's window this reads the stored caption and sends it nothing, so a
// hung program cannot stall popyctl.
std::string TitleOf(HWND wnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(wnd)) + 1, L'\0');
    const int n = ::GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()));
    return popyo::Narrow(std::wstring_view(text.data(), static_cast<std::size_t>(n > 0 ? n : 0)));
}

std::string ClassOf(HWND wnd) {
    wchar_t name[256] = {};
    const int n = ::GetClassNameW(wnd, name, static_cast<int>(std::size(name)));
    return popyo::Narrow(std::wstring_view(name, static_cast<std::size_t>(n > 0 ? n : 0)));
}

HWND ResolveNamed(const WindowSpec& named) {
    if (auto handle = PickWindow(named, SnapshotTopWindows())) {
        return popyo::ToHwnd(*handle);
    }
    throw Failure("no window matches " + DescribeSpec(named));
}

HWND ResolveHandle(Hwnd handle) {
    HWND wnd = popyo::ToHwnd(handle);
    if (!::IsWindow(wnd)) {
        throw Failure("no window has the handle " + FormatHandle(handle));
    }
    // The engine moves whole top-level windows; a control inside one is not for it.
    if (::GetAncestor(wnd, GA_ROOT) != wnd) {
        throw Failure(FormatHandle(handle) + " is not a top-level window");
    }
    return wnd;
}

}  // namespace

std::vector<TopWindow> SnapshotTopWindows() {
    std::vector<HWND> handles;
    ::EnumWindows(CollectHandle, reinterpret_cast<LPARAM>(&handles));
    std::vector<TopWindow> windows;
    windows.reserve(handles.size());
    for (HWND wnd : handles) {
        windows.push_back(Describe(wnd));
    }
    return windows;
}

TopWindow Describe(HWND wnd) {
    TopWindow window;
    window.handle = popyo::FromHwnd(wnd);
    window.title = TitleOf(wnd);
    window.className = ClassOf(wnd);
    RECT r{};
    if (::GetWindowRect(wnd, &r)) {
        window.rect = {r.left, r.top, r.right, r.bottom};
    }
    window.visible = ::IsWindowVisible(wnd) != FALSE;
    window.minimized = ::IsIconic(wnd) != FALSE;
    return window;
}

HWND ResolveWindow(const WindowSpec& named) {
    switch (named.kind) {
        case WindowSpec::Kind::Handle:
            return ResolveHandle(named.handle);
        case WindowSpec::Kind::Foreground:
            if (HWND wnd = ::GetForegroundWindow()) {
                return wnd;
            }
            throw Failure("no window has the foreground");
        case WindowSpec::Kind::Title:
        case WindowSpec::Kind::Class:
            return ResolveNamed(named);
    }
    throw Failure("no window matches " + DescribeSpec(named));
}

std::string NameOf(HWND wnd) {
    return FormatHandle(popyo::FromHwnd(wnd)) + " \"" + TitleOf(wnd) + "\"";
}

TRect VirtualDesktop() {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width > 0 && height > 0) {
        return {left, top, left + width, top + height};
    }
    RECT r{};
    ::GetWindowRect(::GetDesktopWindow(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace popyctl
