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

}  // namespace popyo
