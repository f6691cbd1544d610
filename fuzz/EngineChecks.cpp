#include "fuzz/EngineChecks.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace popyo::fuzz {

void Violation(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("engine_fuzz: invariant broken: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::abort();
}

void FrontEndModel::Follow(std::uint32_t msg, std::uint32_t wParam, std::uint32_t lParam) {
    if (detached_) {
        return;
    }
    const auto it = std::find(attached_.begin(), attached_.end(), wParam);
    if (msg == EM_ATTACH && it == attached_.end()) {
        if (lParam != 1) {
            attached_.push_back(wParam);
        } else if (mainIndex_ < 0) {
            mainIndex_ = static_cast<int>(attached_.size());
            attached_.push_back(wParam);
        }
    } else if (msg == EM_DETACH && it != attached_.end()) {
        detached_ = true;
    }
}

void FrontEndModel::Check(const TformPopyonnEngine& engine, const char* where) const {
    if (detached_) {
        return;
    }
    if (engine.FrontEnds != attached_) {
        Violation("%s: %zu front-ends attached, %zu expected", where, engine.FrontEnds.size(),
                  attached_.size());
    }
    if (engine.MainFrontEnd != mainIndex_) {
        Violation("%s: main front-end %d, expected %d", where, engine.MainFrontEnd, mainIndex_);
    }
}

void CheckStructure(const TformPopyonnEngine& engine, const char* where) {
    const auto& slots = engine.RegWins;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const Tregwin& s = *slots[i];
        if (s.Edge > edRight) {
            Violation("%s: slot %zu has edge %d", where, i, s.Edge);
        }
        if (s.Status < rsHiding || s.Status > rsMinimized) {
            Violation("%s: slot %zu has status %d", where, i, s.Status);
        }
        for (std::size_t j = i + 1; s.Wnd != 0 && j < slots.size(); ++j) {
            if (slots[j]->Wnd == s.Wnd) {
                Violation("%s: window %#x is held by slots %zu and %zu", where, s.Wnd, i, j);
            }
        }
    }
    if (engine.PendingEdge > edRight || engine.LastEdge > edRight || engine.LastPopEdge > edRight) {
        Violation("%s: edges pending %d, last %d, last popped %d", where, engine.PendingEdge,
                  engine.LastEdge, engine.LastPopEdge);
    }
}

void CheckBetweenEvents(const TformPopyonnEngine& engine, const SimDesktop& sim) {
    if (engine.Busy) {
        Violation("Busy is set between events");
    }
    if (engine.SettingsDialog) {
        Violation("the settings dialog is still held after it closed");
    }
    if (engine.Running() != sim.timerEnabled) {
        Violation("the engine %s but its timer is %s", engine.Running() ? "runs" : "has closed",
                  sim.timerEnabled ? "on" : "off");
    }
}

std::vector<HeldWindow> HeldWindows(const TformPopyonnEngine& engine, SimDesktop& sim) {
    std::vector<HeldWindow> held;
    for (const auto& slot : engine.RegWins) {
        if (slot->Wnd != 0 && sim.Exists(slot->Wnd)) {
            held.push_back({slot->Wnd, slot->HomeRect, slot->Style, sim.Window(slot->Wnd)});
        }
    }
    return held;
}

// Release guarantees, for a window that still exists, one of three outcomes, decided by
// its style just before and the style its slot kept from the start of its last hide:
// - maximized just before: still maximized (and not minimized), moved with its size so
//   that only its frame hangs over the screen's top-left corner, at (-F, -F) for the
//   frame width F; its visibility is left as it was;
// - else, its slot's style has WS_MAXIMIZE (it was maximized when it started hiding), or it
//   was minimized from maximized and so restores maximized: maximized over the whole
//   desktop, shown;
// - else: restored (neither minimized nor maximized), shown, with the size it has
//   restored, its top-left corner on its home rectangle's, or, when no monitor (on one
//   monitor: the desktop) would show any part of it there, moved onto the nearest by the
//   least distance.
// In every case it is no longer topmost.
TPoint HomeShownSomewhere(const MonitorList& monitors,
                          const TRect& screen,
                          const TRect& home,
                          const TRect& size) {
    const TPoint origin{home.Left, home.Top};
    const std::int32_t width = Width(size);
    const std::int32_t height = Height(size);
    const TRect placed{origin.X, origin.Y, Add(origin.X, width), Add(origin.Y, height)};
    const bool fitsThere = Width(placed) == width && Height(placed) == height;
    if (monitors.Count() >= 2) {
        return fitsThere && OnAnyMonitor(monitors, placed)
                   ? origin
                   : PlaceWithin(origin, width, height, MonitorFor(monitors, placed));
    }
    if (HasNoArea(screen) || width <= 0 || height <= 0 ||
        (fitsThere && Intersects(placed, screen))) {
        return origin;
    }
    return PlaceWithin(origin, width, height, screen);
}

void CheckReleased(SimDesktop& sim,
                   const TRect& screen,
                   const std::vector<HeldWindow>& held,
                   const char* how,
                   bool onScreen) {
    const std::int32_t frame = sim.cxFrame;
    for (const HeldWindow& h : held) {
        if (!sim.Exists(h.wnd)) {
            continue;
        }
        const SimWindow& now = sim.Window(h.wnd);
        TRect want{};
        std::uint32_t wantMax = kWsMaximize;
        bool wantVisible = true;
        if ((h.before.style & kWsMaximize) != 0) {
            const std::int32_t f = Sub(0, frame);
            want = {f, f, Add(f, Width(h.before.rect)), Add(f, Height(h.before.rect))};
            wantVisible = (h.before.style & kWsVisible) != 0;
        } else if ((h.slotStyle & kWsMaximize) != 0 ||
                   ((h.before.style & kWsMinimize) != 0 && h.before.restoresMaximized)) {
            want = {Sub(screen.Left, frame), Sub(screen.Top, frame), Add(screen.Right, frame),
                    Add(screen.Bottom, frame)};
        } else {
            const TRect& size =
                (h.before.style & kWsMinimize) != 0 ? h.before.normalRect : h.before.rect;
            const TPoint home = HomeShownSomewhere(sim.Monitors(), screen, h.homeRect, size);
            want = {home.X, home.Y, Add(home.X, Width(size)), Add(home.Y, Height(size))};
            wantMax = 0;
            // No window is put back where no monitor shows it.
            const bool lost = sim.Monitors().Count() >= 2
                                  ? !OnAnyMonitor(sim.Monitors(), want)
                                  : !HasNoArea(screen) && !Intersects(want, screen);
            if (!HasNoArea(want) && lost) {
                Violation(
                    "after %s, window %#x is put back at %d,%d,%d,%d, where no monitor "
                    "shows it",
                    how, h.wnd, want.Left, want.Top, want.Right, want.Bottom);
            }
        }
        const bool visible = (now.style & kWsVisible) != 0;
        if (now.rect != want || (now.style & kWsMaximize) != wantMax ||
            (now.style & kWsMinimize) != 0 || now.topmost || visible != wantVisible) {
            Violation(
                "after %s, window %#x stands at %d,%d,%d,%d style %#x topmost %d; release "
                "puts it at %d,%d,%d,%d %s (home %d,%d, slot style %#x, style before %#x)",
                how, h.wnd, now.rect.Left, now.rect.Top, now.rect.Right, now.rect.Bottom, now.style,
                now.topmost, want.Left, want.Top, want.Right, want.Bottom,
                wantMax ? "maximized" : "restored", h.homeRect.Left, h.homeRect.Top, h.slotStyle,
                h.before.style);
        }
        const TRect& r = now.rect;
        const bool onDesktop = r.Left < screen.Right && r.Right > screen.Left &&
                               r.Top < screen.Bottom && r.Bottom > screen.Top;
        if (onScreen && visible && !onDesktop) {
            Violation("after %s, window %#x stands off the desktop at %d,%d,%d,%d (home %d,%d)",
                      how, h.wnd, r.Left, r.Top, r.Right, r.Bottom, h.homeRect.Left,
                      h.homeRect.Top);
        }
    }
}

// With nothing else going on, hiding every window must tuck each one away wholly beyond
// its edge within as many ticks as its way there takes: a slide never stalls or swings
// back and forth. Checked where that way is short enough to tick through: a forward
// step, and a desktop and windows within a million pixels of the origin.
void CheckSlidesEnd(TformPopyonnEngine& engine, SimDesktop& sim, const TRect& desk) {
    if (!engine.Running()) {
        return;
    }
    const std::int32_t step = engine.Wide.MoveStep;
    constexpr std::int64_t kFar = 1'000'000;
    auto sensible = [&](const TRect& r) {
        return std::max({std::abs(std::int64_t{r.Left}), std::abs(std::int64_t{r.Top}),
                         std::abs(std::int64_t{r.Right}), std::abs(std::int64_t{r.Bottom})}) <=
               kFar;
    };
    if (step < 1 || !sensible(desk)) {
        return;
    }
    std::int64_t ticks = 0;
    for (const auto& slot : engine.RegWins) {
        if (slot->Wnd == 0 || !sim.Exists(slot->Wnd)) {
            continue;
        }
        const SimWindow& w = sim.Window(slot->Wnd);
        if (!sensible(w.rect) || !sensible(w.normalRect)) {
            return;
        }
        // A maximized window hides from where it stands restored.
        std::int64_t way = 0;
        for (const TRect& r : {w.rect, w.normalRect}) {
            switch (slot->Edge) {
                case edLeft:
                    way = std::max(way, std::int64_t{r.Right} - desk.Left);
                    break;
                case edTop:
                    way = std::max(way, std::int64_t{r.Bottom} - desk.Top);
                    break;
                case edBottom:
                    way = std::max(way, std::int64_t{desk.Bottom} - r.Top);
                    break;
                default:
                    way = std::max(way, std::int64_t{desk.Right} - r.Left);
                    break;
            }
        }
        ticks = std::max(ticks, way / step + 4);
    }
    if (ticks > 4000) {
        return;
    }
    // Nothing shows a window now: no activation, no pop at an edge, no foreground
    // handed back.
    engine.ActWin = false;
    engine.HiAct = false;
    engine.AutoActivate = false;
    engine.MouseDownDisable = true;
    engine.DisableKey = 0x87;
    sim.keysDown = {kVkLButton};
    engine.Timer1Timer();
    engine.HideAll();
    // Windows already hidden stay as they are, also when a grown desktop shows them.
    std::vector<Hwnd> hiding;
    for (const auto& slot : engine.RegWins) {
        if (slot->Wnd != 0 && slot->Status == rsHiding && !slot->Pinned) {
            hiding.push_back(slot->Wnd);
        }
    }
    for (std::int64_t i = 0; i < ticks; ++i) {
        engine.Timer1Timer();
    }
    for (const Hwnd wnd : hiding) {
        const int index = engine.IndexOfWindow(wnd);
        if (index < 0 || !sim.Exists(wnd)) {
            continue;
        }
        const Tregwin* slot = engine.RegWins[static_cast<std::size_t>(index)].get();
        if (slot->Status == rsMinimized) {
            continue;
        }
        const SimWindow& w = sim.Window(slot->Wnd);
        // Minimized and invisible windows are not slid, nor are those parked far left.
        if ((w.style & kWsVisible) == 0 || (w.style & kWsMinimize) != 0 || w.rect.Left < -20000) {
            continue;
        }
        // With the visible frame lined up, the invisible borders may stay on the desktop.
        const TRect r = ShownPart(engine, sim, slot->Wnd);
        bool beyond = false;
        const MonitorList& monitors = sim.Monitors();
        if (monitors.Count() >= 2 && Width(r) <= Width(slot->Monitor) &&
            Height(r) <= Height(slot->Monitor)) {
            // Beyond its monitor's side, or the desktop's: where no monitor shows it.
            beyond = !OnAnyMonitor(monitors, r);
        } else {
            switch (slot->Edge) {
                case edLeft:
                    beyond = r.Right <= desk.Left;
                    break;
                case edTop:
                    beyond = r.Bottom <= desk.Top;
                    break;
                case edBottom:
                    beyond = r.Top >= desk.Bottom;
                    break;
                case edRight:
                    beyond = r.Left >= desk.Right;
                    break;
                default:
                    break;
            }
        }
        if (slot->Status != rsHidden || !beyond) {
            Violation(
                "window %#x at edge %d did not hide with step %d in %lld ticks: status "
                "%d at %d,%d,%d,%d on desktop %d,%d,%d,%d",
                slot->Wnd, slot->Edge, step, static_cast<long long>(ticks), slot->Status, r.Left,
                r.Top, r.Right, r.Bottom, desk.Left, desk.Top, desk.Right, desk.Bottom);
        }
    }
}

}  // namespace popyo::fuzz

namespace popyo::fuzz {

std::vector<SlotBefore> SlotsBefore(const TformPopyonnEngine& engine, SimDesktop& sim) {
    std::vector<SlotBefore> before;
    for (const auto& slot : engine.RegWins) {
        const TRect where = sim.Exists(slot->Wnd) ? sim.RectOf(slot->Wnd) : TRect{};
        before.push_back({slot->Wnd, slot->Status, where});
    }
    return before;
}

// Only where the engine has read the monitors as they are: after a change the system did
// not announce, it learns of it within a second.
void CheckMonitorPlaces(const TformPopyonnEngine& engine,
                        SimDesktop& sim,
                        const std::vector<SlotBefore>& before,
                        bool undisturbed) {
    const MonitorList& monitors = sim.Monitors();
    if (monitors.Count() < 2 || !(engine.Wide.Monitors == monitors) ||
        engine.Wide.DeskRect != BoundingBox(monitors)) {
        return;
    }
    for (const auto& slot : engine.RegWins) {
        // A sleeping program's window stands where it stood until it wakes.
        if (slot->Wnd == 0 || slot->Pinned || !sim.Exists(slot->Wnd) ||
            sim.Window(slot->Wnd).hung) {
            continue;
        }
        const auto was = std::find_if(before.begin(), before.end(),
                                      [&](const SlotBefore& b) { return b.wnd == slot->Wnd; });
        if (was == before.end()) {
            continue;
        }
        const TRect& r = sim.RectOf(slot->Wnd);
        const TRect shown = ShownPart(engine, sim, slot->Wnd);
        const TRect& m = slot->Monitor;
        const bool fits = Width(r) <= Width(m) && Height(r) <= Height(m);
        if (was->status != rsHidden && slot->Status == rsHidden && fits && !HasNoArea(r) &&
            OnAnyMonitor(monitors, shown)) {
            Violation("window %#x hid at %d,%d,%d,%d, where a monitor shows it", slot->Wnd, r.Left,
                      r.Top, r.Right, r.Bottom);
        }
        // A window maximized again once it is out covers what maximizing covers.
        const bool maximized = (sim.Window(slot->Wnd).style & kWsMaximize) != 0;
        // The slot's rectangle after a step out holds only the coordinates the step moved;
        // what the window slid against is judged from where it stands.
        Tregwin standing = *slot;
        standing.Rect = r;
        if (was->status == rsShowing && slot->Status == rsShown && undisturbed && !maximized &&
            fits && !HasNoArea(r) && was->rect != r && slot->ToHome == 0 &&
            standing.Bounds().FromMonitor) {
            const bool sideways = slot->Edge == edLeft || slot->Edge == edRight;
            const bool within = sideways ? m.Left <= shown.Left && shown.Right <= m.Right
                                         : m.Top <= shown.Top && shown.Bottom <= m.Bottom;
            if (!within) {
                Violation("window %#x came out at %d,%d,%d,%d, beyond its monitor %d,%d,%d,%d",
                          slot->Wnd, r.Left, r.Top, r.Right, r.Bottom, m.Left, m.Top, m.Right,
                          m.Bottom);
            }
        }
    }
}

}  // namespace popyo::fuzz

namespace popyo::fuzz {

void CheckFramesOnlySlide(const TformPopyonnEngine& engine, const Call& call) {
    if (call.kind != CallKind::SetWindowPos) {
        return;
    }
    const int index = engine.IndexOfWindow(call.wnd);
    const Tregwin* slot =
        index < 0 ? nullptr : engine.RegWins[static_cast<std::size_t>(index)].get();
    if (slot == nullptr || slot->Pinned ||
        (slot->Status != rsShowing && slot->Status != rsHiding) || !engine.Timer1.Enabled()) {
        Violation("a frame moves window %#x, which does not slide", call.wnd);
    }
}

void CheckCloakedLeftAlone(const TformPopyonnEngine& engine, SimDesktop& sim, const Call& call) {
    if (!engine.Wide.Options.SkipCloaked() || !sim.Exists(call.wnd) ||
        !sim.Window(call.wnd).cloaked) {
        return;
    }
    const bool broughtOut = call.kind == CallKind::SetWindowPos &&
                            call.insertAfter == kHwndTopmost && (call.flags & kSwpNoMove) == 0 &&
                            engine.IndexOfWindow(call.wnd) >= 0;
    if (broughtOut || call.kind == CallKind::SetForegroundWindow) {
        Violation("cloaked window %#x %s", call.wnd,
                  broughtOut ? "is brought out" : "is handed the foreground");
    }
}

TRect ShownPart(const TformPopyonnEngine& engine, SimDesktop& sim, Hwnd wnd) {
    const SimWindow& w = sim.Window(wnd);
    if (!engine.Wide.Options.AlignVisibleFrame() || !w.frameInsets) {
        return w.rect;
    }
    const TRect frame = VisiblePart(w.rect, *w.frameInsets);
    return VisiblePart(w.rect, FrameInsetsOf(w.rect, frame));
}

}  // namespace popyo::fuzz
