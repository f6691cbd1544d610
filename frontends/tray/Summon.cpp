#include "frontends/tray/Summon.h"

#include <algorithm>

namespace popyo::tray {

SummonStep PlanSummon(std::optional<Status> status, bool active, bool canLaunch, bool launching) {
    if (!status) {
        return canLaunch && !launching ? SummonStep::Launch : SummonStep::Nothing;
    }
    switch (*status) {
        case rsShowing:
        case rsShown:
        case rsLeaving:
            return active ? SummonStep::Away : SummonStep::Activate;
        default:
            // Hidden, hiding, minimized; or held by the tray but not yet by the engine.
            return SummonStep::Out;
    }
}

bool Launches::Pending(std::size_t summon) const {
    return std::ranges::any_of(pending_, [&](const Start& s) { return s.summon == summon; });
}

void Launches::Started(std::size_t summon, Ms now) {
    if (!Pending(summon)) {
        pending_.push_back({summon, now + kPatienceMs});
    }
}

bool Launches::Arrived(std::size_t summon) {
    return std::erase_if(pending_, [&](const Start& s) { return s.summon == summon; }) > 0;
}

std::vector<std::size_t> Launches::Overdue(Ms now) {
    std::vector<std::size_t> overdue;
    std::erase_if(pending_, [&](const Start& s) {
        if (s.due > now) {
            return false;
        }
        overdue.push_back(s.summon);
        return true;
    });
    return overdue;
}

std::optional<Ms> Launches::NextDue() const {
    std::optional<Ms> next;
    for (const Start& s : pending_) {
        next = std::min(next.value_or(s.due), s.due);
    }
    return next;
}

TRect OutPlace(const TRect& window, Edge edge, const TRect& monitor) {
    const std::int32_t width = Width(window);
    const std::int32_t height = Height(window);
    TPoint at = PlaceWithin(window, monitor);
    switch (edge) {
        case edLeft:
            at.X = monitor.Left;
            break;
        case edTop:
            at.Y = monitor.Top;
            break;
        case edBottom:
            at.Y = Sub(monitor.Bottom, height);
            break;
        case edRight:
            at.X = Sub(monitor.Right, width);
            break;
        default:
            break;
    }
    return {at.X, at.Y, Add(at.X, width), Add(at.Y, height)};
}

std::string ExpandVariables(
    std::string_view text,
    const std::function<std::optional<std::string>(std::string_view)>& lookup) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, open - at);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : lookup(name);
        if (value) {
            out += *value;
            at = close + 1;
        } else {
            // The closing % may open the next name: "%NOPE%USERPROFILE%".
            out += text.substr(open, close - open);
            at = close;
        }
    }
    return out;
}

}  // namespace popyo::tray
