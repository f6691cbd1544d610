// The tray's icon in the notification area. Adding it can fail (no shell running yet, or
// none at all): the tray works on through its hotkeys and adds the icon when the shell
// announces a taskbar.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace popyo::tray {

class NotifyIcon {
  public:
    // Events arrive as `callbackMessage` to `owner`: LOWORD(lParam) is the event
    // (WM_CONTEXTMENU, WM_LBUTTONDBLCLK, ...), wParam the anchor point in screen pixels.
    NotifyIcon(HWND owner, UINT callbackMessage, HICON icon);
    ~NotifyIcon();
    NotifyIcon(const NotifyIcon&) = delete;
    NotifyIcon& operator=(const NotifyIcon&) = delete;

    // Adds the icon, or adds it again after the taskbar was re-created.
    bool Show();
    bool Shown() const { return shown_; }
    void SetTip(const std::wstring& tip);
    void Balloon(const std::wstring& title, const std::wstring& text);
    void Remove();

  private:
    NOTIFYICONDATAW Data(UINT flags) const;

    HWND owner_;
    UINT callbackMessage_;
    HICON icon_;
    std::wstring tip_;
    bool shown_ = false;
};

}  // namespace popyo::tray
