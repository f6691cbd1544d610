// Putting windows back without the engine. An engine that is killed or crashes leaves the
// windows it hid beyond the edge; the front-end that took them knows where each stood and
// puts it back there, as the engine's own release would have.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/Geometry.h"

namespace popyo::frontend {

// A window a front-end took, with where it stood then.
struct Taken {
    HWND wnd = nullptr;
    TRect rect;
    bool maximized = false;
};

// Read before the window is registered, while it still stands at home.
Taken TakeNote(HWND wnd);

// Where the engine's release would have put the window: nothing to do.
bool StandsAtHome(const Taken& taken);

// Puts back every window that still exists and is not at home; answers how many moved.
int PutBackAll(const std::vector<Taken>& taken);

}  // namespace popyo::frontend
