#include "frontends/common/PutBack_win.h"

#include "frontends/common/Rescue.h"
#include "frontends/common/TopWindows_win.h"
#include "platform/ForeignWindows_win.h"

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

// A program that sleeps takes the three calls, in order, when it wakes.
void PutBack(ForeignWindows& windows, const Taken& t) {
    if (::IsIconic(t.wnd)) {
        windows.Show(t.wnd, SW_RESTORE);
    }
    const TPoint home = Home(t);
    windows.SetPos(t.wnd, HWND_NOTOPMOST, home.X, home.Y, SWP_NOSIZE | SWP_NOACTIVATE);
    if (t.maximized && !::IsZoomed(t.wnd)) {
        windows.Show(t.wnd, SW_SHOWMAXIMIZED);
    }
}

int PutBackAll(const std::vector<Taken>& taken) {
    ForeignWindows windows;
    int putBack = 0;
    for (const Taken& t : taken) {
        if (::IsWindow(t.wnd) && !StandsAtHome(t)) {
            PutBack(windows, t);
            ++putBack;
        }
    }
    return putBack;
}

}  // namespace popyo::frontend
