#include "frontends/popyctl/TopWindows.h"

#include <cstdio>

namespace popyctl {

bool Matches(const WindowSpec& named, const TopWindow& window) {
    switch (named.kind) {
        case WindowSpec::Kind::Title:
            return window.title == named.text;
        case WindowSpec::Kind::Class:
            return popyo::frontend::SameName(window.className, named.text);
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
