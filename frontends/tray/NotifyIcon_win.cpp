#include "frontends/tray/NotifyIcon_win.h"

#include <shellapi.h>

#include <cwchar>

namespace popyo::tray {
namespace {

constexpr UINT kIconId = 1;

template <std::size_t N>
void CopyTruncated(wchar_t (&to)[N], const std::wstring& from) {
    ::wcsncpy(to, from.c_str(), N - 1);
    to[N - 1] = L'\0';
}

}  // namespace

NotifyIcon::NotifyIcon(HWND owner, UINT callbackMessage, HICON icon)
    : owner_(owner), callbackMessage_(callbackMessage), icon_(icon) {}

NotifyIcon::~NotifyIcon() {
    Remove();
}

NOTIFYICONDATAW NotifyIcon::Data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kIconId;
    data.uFlags = flags;
    return data;
}

bool NotifyIcon::Show() {
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_;
    CopyTruncated(data.szTip, tip_);
    // After a restart of the shell an old entry may linger; it is replaced.
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    shown_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (shown_) {
        // Version 4: right-click and the context key both arrive as WM_CONTEXTMENU.
        data.uVersion = NOTIFYICON_VERSION_4;
        ::Shell_NotifyIconW(NIM_SETVERSION, &data);
    }
    return shown_;
}

void NotifyIcon::SetTip(const std::wstring& tip) {
    if (tip == tip_) {
        return;
    }
    tip_ = tip;
    if (shown_) {
        NOTIFYICONDATAW data = Data(NIF_TIP | NIF_SHOWTIP);
        CopyTruncated(data.szTip, tip_);
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    }
}

void NotifyIcon::Balloon(const std::wstring& title, const std::wstring& text) {
    if (!shown_) {
        return;
    }
    NOTIFYICONDATAW data = Data(NIF_INFO);
    CopyTruncated(data.szInfoTitle, title);
    CopyTruncated(data.szInfo, text);
    data.dwInfoFlags = NIIF_WARNING;
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void NotifyIcon::Remove() {
    if (shown_) {
        NOTIFYICONDATAW data = Data(0);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
        shown_ = false;
    }
}

}  // namespace popyo::tray
