// Moves and show states of other programs' windows that never wait for those programs.
#pragma once

#include <windows.h>

#include <memory>
#include <set>

namespace popyo {

class ForeignWindows {
  public:
    ForeignWindows();
    ForeignWindows(const ForeignWindows&) = delete;
    ForeignWindows& operator=(const ForeignWindows&) = delete;

    // SetWindowPos with SWP_ASYNCWINDOWPOS, the size arguments 0.
    void SetPos(HWND wnd, HWND insertAfter, int x, int y, UINT flags);
    // ShowWindowAsync.
    void Show(HWND wnd, int cmdShow);
    // The window's program has stopped taking messages: Windows says so, or a call here
    // found it not answering and it has not answered since.
    bool IsHung(HWND wnd) const;

  private:
    void AwaitLanding(HWND wnd);
    void MarkHung(HWND wnd);

    // Shared with the answers still on their way, which may arrive after this object ends.
    struct Marks {
        std::set<HWND> hung;
    };
    std::shared_ptr<Marks> marks_;
};

}  // namespace popyo
