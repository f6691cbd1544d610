#include "frontends/popyctl/WindowNames_win.h"

#include "frontends/common/TopWindows_win.h"
#include "frontends/popyctl/TopWindows.h"
#include "platform/Win32Util_win.h"

namespace popyctl {
namespace {

using popyo::frontend::SnapshotTopWindows;

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
    return FormatHandle(popyo::FromHwnd(wnd)) + " \"" +
           popyo::Narrow(popyo::frontend::TitleOf(wnd)) + "\"";
}

}  // namespace popyctl
