// Windows as the user names them on popyctl's command line, looked up on the desktop.
#pragma once

#include <windows.h>

#include <string>

#include "frontends/popyctl/PopyctlCli.h"

namespace popyctl {

// The top-level window the name picks; throws Failure when there is none.
HWND ResolveWindow(const WindowSpec& named);

// Handle and title, for messages: 0x0001002A "Untitled - Notepad".
std::string NameOf(HWND wnd);

}  // namespace popyctl
