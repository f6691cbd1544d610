// Shows the tray's menu (built by TrayMenu.h) and answers the command chosen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "frontends/tray/TrayMenu.h"

namespace popyo::tray {

// 0 when the menu was closed without a choice.
std::uint32_t TrackTrayMenu(HWND owner, const std::vector<MenuItem>& items, POINT at);

}  // namespace popyo::tray
