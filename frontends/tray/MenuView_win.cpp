#include "frontends/tray/MenuView_win.h"

#include <memory>
#include <type_traits>

#include "platform/Win32Util_win.h"

namespace popyo::tray {
namespace {

struct MenuDeleter {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

UniqueMenu BuildMenu(const std::vector<MenuItem>& items) {
    UniqueMenu menu(::CreatePopupMenu());
    for (const MenuItem& item : items) {
        if (item.Separator()) {
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const std::wstring text = Widen(item.text);
        UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED) |
                     (item.checked ? MF_CHECKED : MF_UNCHECKED);
        if (!item.children.empty()) {
            // The parent menu destroys its submenus with itself.
            ::AppendMenuW(menu.get(), flags | MF_POPUP,
                          reinterpret_cast<UINT_PTR>(BuildMenu(item.children).release()),
                          text.c_str());
        } else {
            ::AppendMenuW(menu.get(), flags, item.id, text.c_str());
        }
    }
    return menu;
}

}  // namespace

std::uint32_t TrackTrayMenu(HWND owner, const std::vector<MenuItem>& items, POINT at) {
    const UniqueMenu menu = BuildMenu(items);
    // Without the foreground, the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(owner);
    const UINT align =
        ::GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const BOOL chosen = ::TrackPopupMenuEx(
        menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | align | TPM_BOTTOMALIGN, at.x,
        at.y, owner, nullptr);
    // The documented nudge that lets a second right-click open the menu again.
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return static_cast<std::uint32_t>(chosen);
}

}  // namespace popyo::tray
