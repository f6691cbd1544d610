#include "tools/frontend/PutBack_win.h"

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

bool StandsAtHome(const Taken& t) {
    RECT r{};
    return !::IsIconic(t.wnd) && ::GetWindowRect(t.wnd, &r) && r.left == t.rect.Left &&
           r.top == t.rect.Top && (!t.maximized || ::IsZoomed(t.wnd));
}

void PutBack(const Taken& t) {
    if (::IsIconic(t.wnd)) {
        ::ShowWindow(t.wnd, SW_RESTORE);
    }
    ::SetWindowPos(t.wnd, HWND_NOTOPMOST, t.rect.Left, t.rect.Top, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
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
