#include "platform/Monitors.h"

#include <algorithm>
#include <limits>

namespace popyo {

namespace {

// Each side is below 2^32, so the area fits 64 unsigned bits.
std::uint64_t OverlapArea(const TRect& a, const TRect& b) {
    const std::int64_t w =
        std::int64_t{std::min(a.Right, b.Right)} - std::int64_t{std::max(a.Left, b.Left)};
    const std::int64_t h =
        std::int64_t{std::min(a.Bottom, b.Bottom)} - std::int64_t{std::max(a.Top, b.Top)};
    return w > 0 && h > 0 ? static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) : 0;
}

// The gap between two rectangles on one axis; 0 when they overlap or touch.
std::int64_t Gap(std::int32_t lo, std::int32_t hi, std::int32_t otherLo, std::int32_t otherHi) {
    return std::max<std::int64_t>(
        {0, std::int64_t{otherLo} - hi, std::int64_t{lo} - std::int64_t{otherHi}});
}

// Squared, so that no root is taken; in floating point, which holds the square of any gap
// the coordinate range allows.
double SquaredDistance(const TRect& a, const TRect& b) {
    const auto dx = static_cast<double>(Gap(a.Left, a.Right, b.Left, b.Right));
    const auto dy = static_cast<double>(Gap(a.Top, a.Bottom, b.Top, b.Bottom));
    return dx * dx + dy * dy;
}

}  // namespace

MonitorList::MonitorList(std::initializer_list<TRect> rects) {
    for (const TRect& r : rects) {
        Add(r);
    }
}

void MonitorList::Add(const TRect& rect) {
    if (count_ < kMax) {
        rects_[count_++] = rect;
    }
}

bool MonitorList::Contains(const TRect& monitor) const {
    const auto all = All();
    return std::find(all.begin(), all.end(), monitor) != all.end();
}

bool operator==(const MonitorList& a, const MonitorList& b) {
    return std::ranges::equal(a.All(), b.All());
}

TRect BoundingBox(const MonitorList& monitors) {
    if (monitors.Empty()) {
        return {};
    }
    TRect box = monitors.All().front();
    for (const TRect& m : monitors.All()) {
        box = {std::min(box.Left, m.Left), std::min(box.Top, m.Top), std::max(box.Right, m.Right),
               std::max(box.Bottom, m.Bottom)};
    }
    return box;
}

// Ties go to the monitor listed first.
TRect MonitorFor(const MonitorList& monitors, const TRect& r) {
    TRect best{};
    std::uint64_t bestArea = 0;
    for (const TRect& m : monitors.All()) {
        if (const std::uint64_t area = OverlapArea(m, r); area > bestArea) {
            best = m;
            bestArea = area;
        }
    }
    if (bestArea > 0) {
        return best;
    }
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const TRect& m : monitors.All()) {
        if (const double d = SquaredDistance(m, r); d < bestDistance) {
            best = m;
            bestDistance = d;
        }
    }
    return best;
}

TRect MonitorAt(const MonitorList& monitors, TPoint p) {
    return MonitorFor(monitors, {p.X, p.Y, Add(p.X, 1), Add(p.Y, 1)});
}

bool OnAnyMonitor(const MonitorList& monitors, const TRect& r) {
    return std::ranges::any_of(monitors.All(), [&](const TRect& m) { return Intersects(m, r); });
}

bool Covered(const MonitorList& monitors, std::int32_t x, std::int32_t y) {
    return std::ranges::any_of(monitors.All(), [&](const TRect& m) {
        return m.Left <= x && x < m.Right && m.Top <= y && y < m.Bottom;
    });
}

}  // namespace popyo
