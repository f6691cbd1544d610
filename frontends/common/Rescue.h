// Where a window that no monitor shows goes, so that the user sees it again.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontends/common/TopWindow.h"
#include "platform/Monitors.h"

namespace popyo::frontend {

// Nothing for a window that shows at least one pixel on some monitor, is minimized, hidden
// or empty. A lost window comes back onto the nearest monitor.
std::optional<TPoint> RescuePosition(const TopWindow& window, const MonitorList& monitors);

// Where a window taken at `home` is put back when the engine is gone: its home, unless no
// monitor would show it there any more (one was unplugged): then onto the nearest monitor,
// moved by the least distance.
TPoint PutBackPosition(const TRect& home, const MonitorList& monitors);

struct Rescue {
    Hwnd handle = 0;
    std::string title;
    TRect from;
    TPoint to;
};
std::vector<Rescue> PlanRescue(const std::vector<TopWindow>& windows, const MonitorList& monitors);

}  // namespace popyo::frontend
