#include "platform/ForeignWindows_win.h"

namespace popyo {

namespace {

// How long a call waits for a responsive program to take its move, so that what the caller
// reads next is where the window now stands, as with a call that waits. A program that has
// not taken it by then is counted as hung, and no later call waits for it until it answers.
constexpr UINT kLandingWaitMs = 100;

bool OnThisThread(HWND wnd) {
    return ::GetWindowThreadProcessId(wnd, nullptr) == ::GetCurrentThreadId();
}

}  // namespace

ForeignWindows::ForeignWindows() : marks_(std::make_shared<Marks>()) {}

// A move of another thread's window is a message to that thread: without SWP_ASYNCWINDOWPOS
// the caller waits until it is taken, for as long as the program sleeps. Queued, it lands
// when the program wakes, even after the caller has ended.
void ForeignWindows::SetPos(HWND wnd, HWND insertAfter, int x, int y, UINT flags) {
    if (OnThisThread(wnd)) {
        ::SetWindowPos(wnd, insertAfter, x, y, 0, 0, flags);
        return;
    }
    ::SetWindowPos(wnd, insertAfter, x, y, 0, 0, flags | SWP_ASYNCWINDOWPOS);
    AwaitLanding(wnd);
}

void ForeignWindows::Show(HWND wnd, int cmdShow) {
    if (OnThisThread(wnd)) {
        ::ShowWindow(wnd, cmdShow);
        return;
    }
    ::ShowWindowAsync(wnd, cmdShow);
    AwaitLanding(wnd);
}

bool ForeignWindows::IsHung(HWND wnd) const {
    return marks_->hung.contains(wnd) || ::IsHungAppWindow(wnd) != FALSE;
}

// The queued call and this WM_NULL reach the window's thread in the order they were sent, so
// the answer comes once the call has been carried out.
void ForeignWindows::AwaitLanding(HWND wnd) {
    if (IsHung(wnd)) {
        return;
    }
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kLandingWaitMs,
                              &result) == 0 &&
        ::IsWindow(wnd)) {
        MarkHung(wnd);
    }
}

// A WM_NULL that answers nobody's wait tells when the program takes messages again.
void ForeignWindows::MarkHung(HWND wnd) {
    using Token = std::weak_ptr<Marks>;
    auto token = std::make_unique<Token>(marks_);
    const auto answered = [](HWND answering, UINT, ULONG_PTR data, LRESULT) {
        const std::unique_ptr<Token> back(reinterpret_cast<Token*>(data));
        if (const auto marks = back->lock()) {
            marks->hung.erase(answering);
        }
    };
    if (::SendMessageCallbackW(wnd, WM_NULL, 0, 0, answered,
                               reinterpret_cast<ULONG_PTR>(token.get()))) {
        token.release();
        marks_->hung.insert(wnd);
    }
}

}  // namespace popyo
