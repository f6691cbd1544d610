// One top-level window of the desktop as a front-end sees it at one moment. Plain values, so
// that every decision about windows is made and tested without a window manager.
#pragma once

#include <string>

#include "platform/Geometry.h"

namespace popyo::frontend {

struct TopWindow {
    Hwnd handle = 0;
    std::string title;      // UTF-8
    std::string className;  // UTF-8
    std::string exe;        // the process image name without its folder, e.g. "notepad.exe"
    TRect rect;
    bool visible = false;
    bool minimized = false;
};

}  // namespace popyo::frontend
