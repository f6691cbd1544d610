// Foreground forcing: hands the foreground to a window even where the window manager's
// foreground lock would refuse the engine.
#pragma once

#include "platform/WindowSystem.h"

namespace popyo {

// Answers the window that was in front when the call began (target itself when it was).
Hwnd ForceForeground(WindowSystem& ws, Hwnd target);

}  // namespace popyo
