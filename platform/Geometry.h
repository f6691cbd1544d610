// Plain values shared by the engine and the window system: handles, points, rectangles,
// and the overflow-free arithmetic the slide geometry uses.
#pragma once

#include <cstdint>
#include <limits>

namespace popyo {

// A top-level window handle as it travels between processes: 32 bits, 0 = none.
using Hwnd = std::uint32_t;

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Left, Top, Right, Bottom; Right and Bottom lie just outside the window.
struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Every value of a settings file is used as stored, so a step of 2^31-1 or a desktop edge
// near the end of the range must not overflow: sums saturate at the ends of the range.
constexpr std::int32_t Saturate(std::int64_t v) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v < lo ? lo : (v > hi ? hi : v));
}
constexpr std::int32_t Add(std::int32_t a, std::int32_t b) {
    return Saturate(std::int64_t{a} + b);
}
constexpr std::int32_t Sub(std::int32_t a, std::int32_t b) {
    return Saturate(std::int64_t{a} - b);
}
constexpr std::int32_t Width(const TRect& r) {
    return Sub(r.Right, r.Left);
}
constexpr std::int32_t Height(const TRect& r) {
    return Sub(r.Bottom, r.Top);
}

constexpr bool HasNoArea(const TRect& r) {
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

// The smallest rectangle that holds both.
constexpr TRect Enclosing(const TRect& a, const TRect& b) {
    return {a.Left < b.Left ? a.Left : b.Left, a.Top < b.Top ? a.Top : b.Top,
            a.Right > b.Right ? a.Right : b.Right, a.Bottom > b.Bottom ? a.Bottom : b.Bottom};
}

// True when the two share at least one pixel.
constexpr bool Intersects(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// True when `outer` holds every pixel of `inner`.
constexpr bool Contains(const TRect& outer, const TRect& inner) {
    return outer.Left <= inner.Left && outer.Top <= inner.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

// Where the top-left corner of a window of the given size, now at `origin`, goes so that it
// lies within the area, moved by the least on each axis. One larger than the area keeps its
// left or top side on the area's.
constexpr TPoint PlaceWithin(TPoint origin,
                             std::int32_t width,
                             std::int32_t height,
                             const TRect& area) {
    auto axis = [](std::int32_t lo, std::int32_t size, std::int32_t areaLo, std::int32_t areaHi) {
        const std::int64_t farthest = std::int64_t{areaHi} - size;
        if (lo > farthest) {
            lo = Saturate(farthest);
        }
        return lo < areaLo ? areaLo : lo;
    };
    return {axis(origin.X, width, area.Left, area.Right),
            axis(origin.Y, height, area.Top, area.Bottom)};
}

constexpr TPoint PlaceWithin(const TRect& r, const TRect& area) {
    return PlaceWithin({r.Left, r.Top}, Width(r), Height(r), area);
}

}  // namespace popyo
