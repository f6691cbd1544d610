// Where a window lost wholly beyond the desktop goes, so that the user sees it again.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/frontend/TopWindow.h"

namespace popyo::frontend {

// Nothing for a window that shows at least one pixel, is minimized, hidden or empty.
std::optional<TPoint> RescuePosition(const TopWindow& window, const TRect& desktop);

struct Rescue {
    Hwnd handle = 0;
    std::string title;
    TRect from;
    TPoint to;
};
std::vector<Rescue> PlanRescue(const std::vector<TopWindow>& windows, const TRect& desktop);

}  // namespace popyo::frontend
