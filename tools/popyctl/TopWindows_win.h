// Reading the desktop's top-level windows and moving them: the window-manager side of
// TopWindows.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/popyctl/TopWindows.h"

namespace popyctl {

std::vector<TopWindow> SnapshotTopWindows();
TopWindow Describe(HWND wnd);

// The top-level window the name picks; throws Failure when there is none.
HWND ResolveWindow(const WindowSpec& named);

// Handle and title, for messages: 0x0001002A "Untitled - Notepad".
std::string NameOf(HWND wnd);

// The rectangle of all monitors together.
TRect VirtualDesktop();

}  // namespace popyctl
