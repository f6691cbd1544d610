// The system's window events, out of context: the hooks call back on the thread that set
// them while it waits for messages, for the windows of every process but this one.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace popyo::tray {

class WinEventHooks {
  public:
    using Handler = std::function<void(DWORD event, HWND wnd, LONG object, LONG child)>;

    // Window creation, showing, renaming and destruction, and the foreground. Events the
    // system does not send (Wine sends only the creation) simply never come.
    explicit WinEventHooks(Handler handler);
    ~WinEventHooks();
    WinEventHooks(const WinEventHooks&) = delete;
    WinEventHooks& operator=(const WinEventHooks&) = delete;

  private:
    static void CALLBACK Callback(HWINEVENTHOOK hook,
                                  DWORD event,
                                  HWND wnd,
                                  LONG object,
                                  LONG child,
                                  DWORD thread,
                                  DWORD time);

    Handler handler_;
    std::vector<HWINEVENTHOOK> hooks_;
};

}  // namespace popyo::tray
