#include "frontends/common/PutBack_win.h"

#include "frontends/common/Rescue.h"
#include "frontends/common/TopWindows_win.h"

namespace popyo::frontend {

Taken TakeNote(HWND wnd) {
    Taken taken;
    taken.wnd = wnd;
    RECT r{};
    ::GetWindowRect(wnd, &r);
    taken.rect = {r.left, r.top, r.right, r.bottom};
    taken.maximized = ::IsZoomed(wnd) != FALSE;
    return taken;
}

namespace {

// Where the window was taken, or, when no monitor shows that place any more, the nearest
// place a monitor shows.
TPoint Home(const Taken& t) {
    return PutBackPosition(t.rect, Monitors());
}

}  // namespace

bool StandsAtHome(const Taken& t) {
    RECT r{};
    const TPoint home = Home(t);
    return !::IsIconic(t.wnd) && ::GetWindowRect(t.wnd, &r) && r.left == home.X &&
           r.top == home.Y && (!t.maximized || ::IsZoomed(t.wnd));
}

void PutBack(const Taken& t) {
    if (::IsIconic(t.wnd)) {
        ::ShowWindow(t.wnd, SW_RESTORE);
    }
    const TPoint home = Home(t);
    ::SetWindowPos(t.wnd, HWND_NOTOPMOST, home.X, home.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    if (t.maximized && !::IsZoomed(t.wnd)) {
        ::ShowWindow(t.wnd, SW_SHOWMAXIMIZED);
    }
}

int PutBackAll(const std::vector<Taken>& taken) {
    int putBack = 0;
    for (const Taken& t : taken) {
        if (::IsWindow(t.wnd) && !StandsAtHome(t)) {
            PutBack(t);
            ++putBack;
        }
    }
    return putBack;
}

}  // namespace popyo::frontend
