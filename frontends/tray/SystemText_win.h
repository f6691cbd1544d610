// The system's own words for an error code, for notices.
#pragma once

#include <windows.h>

#include <string>

namespace popyo::tray {

// "Access is denied. (error 5)"
std::wstring SystemText(DWORD error);

}  // namespace popyo::tray
