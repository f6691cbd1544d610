#include "tools/popyctl/TopWindows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace popyctl {
namespace {

// Windows compares class names without regard to case; titles are compared exactly.
bool SameClassName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool IsEmpty(const TRect& r) {
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

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
        return std::max(deskLo, popyo::Saturate(std::int64_t{deskHi} - size));
    }
    return std::nullopt;
}

}  // namespace

bool Matches(const WindowSpec& named, const TopWindow& window) {
    switch (named.kind) {
        case WindowSpec::Kind::Title:
            return window.title == named.text;
        case WindowSpec::Kind::Class:
            return SameClassName(window.className, named.text);
        case WindowSpec::Kind::Handle:
            return window.handle == named.handle;
        case WindowSpec::Kind::Foreground:
            return false;
    }
    return false;
}

std::optional<Hwnd> PickWindow(const WindowSpec& named, const std::vector<TopWindow>& windows) {
    for (const bool visible : {true, false}) {
        for (const TopWindow& window : windows) {
            if (window.visible == visible && Matches(named, window)) {
                return window.handle;
            }
        }
    }
    return std::nullopt;
}

std::optional<Edge> EdgeFor(const std::vector<Rule>& rules, const TopWindow& window) {
    // The engine refuses minimized windows; they are taken once they are restored.
    if (!window.visible || window.minimized) {
        return std::nullopt;
    }
    for (const Rule& rule : rules) {
        if (Matches(rule.window, window)) {
            return rule.edge;
        }
    }
    return std::nullopt;
}

std::optional<TPoint> RescuePosition(const TopWindow& window, const TRect& desktop) {
    // A minimized window parks far off screen (-32000) but is not lost; a window without
    // an area shows nothing wherever it stands.
    const TRect& r = window.rect;
    if (!window.visible || window.minimized || IsEmpty(r) || IsEmpty(desktop)) {
        return std::nullopt;
    }
    const auto x = BackInside(r.Left, r.Right, desktop.Left, desktop.Right);
    const auto y = BackInside(r.Top, r.Bottom, desktop.Top, desktop.Bottom);
    if (!x && !y) {
        return std::nullopt;
    }
    return TPoint{x.value_or(r.Left), y.value_or(r.Top)};
}

std::vector<Rescue> PlanRescue(const std::vector<TopWindow>& windows, const TRect& desktop) {
    std::vector<Rescue> plan;
    for (const TopWindow& window : windows) {
        if (auto to = RescuePosition(window, desktop)) {
            plan.push_back({window.handle, window.title, window.rect, *to});
        }
    }
    return plan;
}

std::string FormatRect(const TRect& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d)-(%d,%d)", r.Left, r.Top, r.Right, r.Bottom);
    return text;
}

std::string FormatRescue(const Rescue& rescue) {
    return "moved " + FormatHandle(rescue.handle) + " \"" + rescue.title + "\" from " +
           FormatRect(rescue.from) + " to (" + std::to_string(rescue.to.X) + "," +
           std::to_string(rescue.to.Y) + ")";
}

std::string FormatWatch(std::uint64_t elapsedMs, const WatchSample& sample) {
    return std::to_string(elapsedMs) + " ms: " + StatusWord(sample.status) + " at " +
           FormatRect(sample.rect);
}

}  // namespace popyctl
