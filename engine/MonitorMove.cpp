// A front-end gives a held window another monitor: a summoned window comes out on the
// monitor its user is looking at rather than on the one it was registered on.
#include "engine/frmPopyonnEngine.h"

namespace popyo {

std::int32_t TformPopyonnEngine::EMSetMonitor(std::uint32_t wParam, std::uint32_t lParam) {
    const int i = IndexOfWindow(wParam);
    if (i < 0) {
        return 0;
    }
    // The layout may have changed since the last tick that read it.
    ReadMonitors();
    if (Wide.Monitors.Empty()) {
        return 0;
    }
    const TPoint at{static_cast<std::int16_t>(lParam & 0xFFFF),
                    static_cast<std::int16_t>(lParam >> 16)};
    MoveToMonitor(Slot(i), MonitorAt(Wide.Monitors, at));
    return 1;
}

// A window that is out keeps its place and hides from there: only the monitor it comes out
// on next changes. A tucked one, or one on its way in, moves across at once, into line with
// the monitor and beyond the side it slides out of, so that the next pop brings it out
// there; the tick's next step finds it beyond its edge and reports it hidden. Given its own
// monitor, a window on its way in is there at once: a front-end that has just taken a
// window sends it away so without its sliding in view.
void TformPopyonnEngine::MoveToMonitor(Tregwin& slot, const TRect& monitor) {
    slot.Monitor = monitor;
    if (slot.Status != rsHidden && slot.Status != rsHiding) {
        return;
    }
    const auto now = ws_.GetWindowRect(slot.Wnd);
    if (!now) {
        return;
    }
    const std::int32_t width = Width(*now);
    const std::int32_t height = Height(*now);
    const TPoint within = PlaceWithin(*now, monitor);
    const bool sideways = slot.Edge == edLeft || slot.Edge == edRight;
    TPoint to = sideways ? TPoint{now->Left, within.Y} : TPoint{within.X, now->Top};
    slot.Rect = {to.X, to.Y, Add(to.X, width), Add(to.Y, height)};
    // Beyond the monitor's own side where no other monitor lies past it, else beyond the
    // desktop's, as the slide itself judges.
    if (!IsEdge(slot.Edge)) {
        return;
    }
    to = slot.RestBeyond(slot.Bounds().Sides);
    slot.Rect = {to.X, to.Y, Add(to.X, width), Add(to.Y, height)};
    if (to.X == now->Left && to.Y == now->Top) {
        return;
    }
    // Frames planned for the old place would drag it back.
    slot.Framed.reset();
    ws_.SetWindowPos(slot.Wnd, 0, to.X, to.Y, kSwpNoSize | kSwpNoZOrder | kSwpNoActivate);
}

}  // namespace popyo
