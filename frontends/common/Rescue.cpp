#include "frontends/common/Rescue.h"

#include <algorithm>

namespace popyo::frontend {
namespace {

// One axis: where the window's near side goes when it lies wholly beyond one end of the
// desktop, nothing when the two overlap on this axis. A window that lies beyond the far end
// comes back with its far side on the desktop's, but never so far that its near side (with
// the title bar or the left border) would leave the desktop.
std::optional<std::int32_t> BackInside(std::int32_t lo,
                                       std::int32_t hi,
                                       std::int32_t deskLo,
                                       std::int32_t deskHi) {
    if (hi <= deskLo) {
        return deskLo;
    }
    if (lo >= deskHi) {
        const std::int64_t size = std::int64_t{hi} - lo;
        return std::max(deskLo, Saturate(std::int64_t{deskHi} - size));
    }
    return std::nullopt;
}

}  // namespace

std::optional<TPoint> RescuePosition(const TopWindow& window, const MonitorList& monitors) {
    // A minimized window parks far off screen (-32000) but is not lost; a window without
    // an area shows nothing wherever it stands.
    const TRect& r = window.rect;
    if (!window.visible || window.minimized || HasNoArea(r) || monitors.Empty() ||
        OnAnyMonitor(monitors, r)) {
        return std::nullopt;
    }
    // Wholly beyond the nearest monitor on one axis or both: each such axis comes back.
    const TRect target = MonitorFor(monitors, r);
    const auto x = BackInside(r.Left, r.Right, target.Left, target.Right);
    const auto y = BackInside(r.Top, r.Bottom, target.Top, target.Bottom);
    return TPoint{x.value_or(r.Left), y.value_or(r.Top)};
}

TPoint PutBackPosition(const TRect& home, const MonitorList& monitors) {
    if (monitors.Empty() || HasNoArea(home) || OnAnyMonitor(monitors, home)) {
        return {home.Left, home.Top};
    }
    return PlaceWithin(home, MonitorFor(monitors, home));
}

std::vector<Rescue> PlanRescue(const std::vector<TopWindow>& windows, const MonitorList& monitors) {
    std::vector<Rescue> plan;
    for (const TopWindow& window : windows) {
        if (auto to = RescuePosition(window, monitors)) {
            plan.push_back({window.handle, window.title, window.rect, *to});
        }
    }
    return plan;
}

}  // namespace popyo::frontend
