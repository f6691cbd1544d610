// The tray as a process: one per session, a running one asked to exit, and text for the
// console the tray was started from.
#pragma once

#include <windows.h>

#include <string_view>

#include "platform/Win32Util_win.h"

namespace popyo::tray {

// The hidden window's class: an installer finds a running tray by it and may post it
// WM_CLOSE, which is the same as Exit.
inline constexpr wchar_t kTrayWindowClass[] = L"PopyonnTrayWindow";
// Sent to that window, answers how many messages its window procedure has handled so far:
// how often the tray wakes, for the benchmark.
inline constexpr UINT kTrayMessageCount = WM_APP + 2;

// Held while a tray runs in this session; empty when another tray holds it already.
UniqueHandle ClaimSingleInstance();

// Asks every tray of this session to exit the way that puts every window back, and waits
// up to 10 s. 0 once no tray runs (also when none ran), 1 otherwise.
int ExitRunningTray();

// Writes to the redirected standard output or error, or to the console of the parent;
// false when there is neither.
bool WriteToConsole(std::string_view utf8, bool error);

}  // namespace popyo::tray
