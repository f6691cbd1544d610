// popyctl's decisions about the desktop's top-level windows, made on plain snapshots: which
// window a name picks, and the lines it prints about windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontends/common/Rescue.h"
#include "frontends/common/TopWindow.h"
#include "frontends/popyctl/PopyctlCli.h"

namespace popyctl {

using popyo::TPoint;
using popyo::TRect;
using popyo::frontend::Rescue;
using popyo::frontend::TopWindow;

// Title and class names only; handles and the foreground are looked up directly.
bool Matches(const WindowSpec& named, const TopWindow& window);

// The first visible window (in z-order) that the name picks, else the first hidden one.
std::optional<Hwnd> PickWindow(const WindowSpec& named, const std::vector<TopWindow>& windows);

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
