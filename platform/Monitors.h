// The monitors of the desktop, each by its rectangle in screen pixels, and the questions the
// engine and its front-ends ask of them: which monitor a window or point belongs to, whether
// a rectangle shows on any monitor, and where a side of a monitor has nothing beyond it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "platform/Geometry.h"

namespace popyo {

// A fixed number of places, so that reading the monitors at a tick allocates nothing.
class MonitorList {
  public:
    static constexpr std::size_t kMax = 16;

    MonitorList() = default;
    MonitorList(std::initializer_list<TRect> rects);

    // A monitor past the sixteenth is left out.
    void Add(const TRect& rect);
    std::span<const TRect> All() const { return {rects_.data(), count_}; }
    std::size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    bool Contains(const TRect& monitor) const;

    friend bool operator==(const MonitorList& a, const MonitorList& b);

  private:
    std::array<TRect, kMax> rects_{};
    std::size_t count_ = 0;
};

// The bounding box of all monitors, as the desktop window spans it.
TRect BoundingBox(const MonitorList& monitors);

// The monitor that holds the largest part of the rectangle; with no overlap, the nearest.
// An empty rectangle when there are no monitors.
TRect MonitorFor(const MonitorList& monitors, const TRect& r);

// The monitor that holds the point, or the nearest.
TRect MonitorAt(const MonitorList& monitors, TPoint p);

// True when some monitor shows at least one pixel of the rectangle.
bool OnAnyMonitor(const MonitorList& monitors, const TRect& r);

// True when some monitor shows the pixel.
bool Covered(const MonitorList& monitors, std::int32_t x, std::int32_t y);

}  // namespace popyo
