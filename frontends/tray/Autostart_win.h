// "Start with Windows": the value PopyonnTray under the user's Run key, holding the quoted
// full path of the tray, as the installer writes it too.
#pragma once

#include <string>

namespace popyo::tray {

// True when the value names this very executable.
bool StartsWithWindows(const std::wstring& exePath);
// False with the reason when the registry refuses.
bool SetStartWithWindows(const std::wstring& exePath, bool on, std::wstring& why);

}  // namespace popyo::tray
