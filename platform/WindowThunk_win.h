// The window procedure of a C++ object: the object passed as the creation parameter is
// attached to its window on WM_NCCREATE and gets every message from then on.
#pragma once

#include <windows.h>

namespace popyo {

// T provides Attach(HWND), called once on WM_NCCREATE, and OnMessage(msg, wParam, lParam).
// No exception leaves the procedure: the window system cannot unwind through it.
template <class T>
LRESULT CALLBACK WindowThunk(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->Attach(wnd);
    }
    auto* self = reinterpret_cast<T*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }
    try {
        return self->OnMessage(msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace popyo
