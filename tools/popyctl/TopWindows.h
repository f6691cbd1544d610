// Decisions about the desktop's top-level windows, made on plain snapshots: which window a
// name picks, which rule takes a window, and where a window lost beyond the desktop goes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/popyctl/PopyctlCli.h"

namespace popyctl {

using popyo::TPoint;
using popyo::TRect;

// One top-level window as the window manager showed it at one moment.
struct TopWindow {
    Hwnd handle = 0;
    std::string title;
    std::string className;
    TRect rect;
    bool visible = false;
    bool minimized = false;
};

// Title and class names only; handles and the foreground are looked up directly.
bool Matches(const WindowSpec& named, const TopWindow& window);

// The first visible window (in z-order) that the name picks, else the first hidden one.
std::optional<Hwnd> PickWindow(const WindowSpec& named, const std::vector<TopWindow>& windows);

// The edge of the first rule that names the window, for a window `run` may take.
std::optional<Edge> EdgeFor(const std::vector<Rule>& rules, const TopWindow& window);

// Where a window that lies wholly outside the desktop goes; nothing for any other window.
std::optional<TPoint> RescuePosition(const TopWindow& window, const TRect& desktop);

struct Rescue {
    Hwnd handle = 0;
    std::string title;
    TRect from;
    TPoint to;
};
std::vector<Rescue> PlanRescue(const std::vector<TopWindow>& windows, const TRect& desktop);
std::string FormatRescue(const Rescue& rescue);
std::string FormatRect(const TRect& rect);

// What `watch` sees of a window at one moment; it prints a line whenever this changes.
struct WatchSample {
    std::uint32_t status = 0;
    TRect rect;
    friend bool operator==(const WatchSample&, const WatchSample&) = default;
};
std::string FormatWatch(std::uint64_t elapsedMs, const WatchSample& sample);

}  // namespace popyctl
