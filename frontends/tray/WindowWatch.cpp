#include "frontends/tray/WindowWatch.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace popyo::tray {

// Events about a part of a window (its client area, scroll bars, caret, the cursor) or one
// of its items are not about the window.
WindowEvent ClassifyEvent(std::uint32_t event, std::int32_t object, std::int32_t child) {
    if (object != kObjectWindow || child != kChildSelf) {
        return WindowEvent::None;
    }
    switch (event) {
        case kEventObjectCreate:
            return WindowEvent::Created;
        case kEventObjectShow:
        case kEventObjectNameChange:
            return WindowEvent::Changed;
        case kEventObjectDestroy:
            return WindowEvent::Destroyed;
        case kEventSystemForeground:
            return WindowEvent::Foreground;
        default:
            return WindowEvent::None;
    }
}

// A window is created before its program shows and titles it, and some systems report
// neither: it is looked at a few times while it is young.
void WindowWatch::Created(Hwnd wnd, Ms now) {
    // A handle used again by a new window starts afresh.
    std::erase_if(followed_, [&](const Followed& f) { return f.wnd == wnd; });
    if (followed_.size() >= kMaxFollowed) {
        followed_.erase(followed_.begin());
    }
    followed_.push_back({wnd, now, 0});
}

void WindowWatch::Changed(Hwnd wnd) {
    if (std::ranges::find(changed_, wnd) == changed_.end()) {
        changed_.push_back(wnd);
    }
}

void WindowWatch::Destroyed(Hwnd wnd) {
    std::erase_if(followed_, [&](const Followed& f) { return f.wnd == wnd; });
    std::erase(changed_, wnd);
}

// Once shown and titled, a window is what it will be: a later title comes with its own
// event, or the scan finds it.
void WindowWatch::Looked(Hwnd wnd, Seen seen) {
    if (!seen.exists || (seen.shown && seen.titled)) {
        std::erase_if(followed_, [&](const Followed& f) { return f.wnd == wnd; });
    }
}

std::vector<Hwnd> WindowWatch::TakeDueLooks(Ms now) {
    std::vector<Hwnd> due = std::move(changed_);
    changed_.clear();
    for (Followed& f : followed_) {
        if (f.Due() > now) {
            continue;
        }
        if (std::ranges::find(due, f.wnd) == due.end()) {
            due.push_back(f.wnd);
        }
        // A late pass looks once, not once for every look it missed.
        while (f.next < std::size(kFollowUpMs) && f.Due() <= now) {
            ++f.next;
        }
    }
    std::erase_if(followed_, [](const Followed& f) { return f.next >= std::size(kFollowUpMs); });
    return due;
}

bool WindowWatch::ForegroundReported() {
    return !std::exchange(foregroundReported_, true);
}

bool WindowWatch::TakeRulesDue(Ms now) {
    if (!rulesDue_ || *rulesDue_ > now) {
        return false;
    }
    rulesDue_.reset();
    return true;
}

std::optional<Ms> WindowWatch::NextDue() const {
    std::optional<Ms> next = rulesDue_;
    const auto earlier = [&](Ms at) {
        if (!next || at < *next) {
            next = at;
        }
    };
    if (!changed_.empty()) {
        earlier(0);
    }
    for (const Followed& f : followed_) {
        earlier(f.Due());
    }
    return next;
}

}  // namespace popyo::tray
