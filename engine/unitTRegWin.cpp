#include "engine/unitTRegWin.h"

#include <algorithm>

namespace popyo {

namespace {

// A window parked this far left is not stepped; each step tries again at the next tick.
constexpr std::int32_t kParkedLeft = -20000;

// DWM's invisible resize borders are a few pixels wide, more on a scaled display; anything
// else is no frame the engine should line up.
constexpr std::int32_t kMaxFrameInset = 64;

// Sliding out, the visible frame comes to rest on the side: the rectangle's sides lie beyond
// the bounds by the insets.
SlideBounds Outward(SlideBounds b, const TRect& in) {
    b.Sides = {Sub(b.Sides.Left, in.Left), Sub(b.Sides.Top, in.Top), Add(b.Sides.Right, in.Right),
               Add(b.Sides.Bottom, in.Bottom)};
    b.RestLeft = Sub(b.RestLeft, in.Left);
    b.RestTop = Sub(b.RestTop, in.Top);
    return b;
}

// Sliding in, the visible frame goes just beyond the side: the rectangle's near side stops
// short of it by the inset on that side.
SlideBounds Inward(SlideBounds b, const TRect& in) {
    b.Sides = {Add(b.Sides.Left, in.Right), Add(b.Sides.Top, in.Bottom),
               Sub(b.Sides.Right, in.Left), Sub(b.Sides.Bottom, in.Top)};
    return b;
}

// A settings file may hold a step of 0 or below; such a window would stand still or walk
// away from the edge it is meant to reach, off the screen. It moves at least one pixel
// towards where it is going.
std::int32_t StepOf(const EngineWide& wide) {
    return std::max<std::int32_t>(wide.MoveStep, 1);
}

}  // namespace

Tregwin::Tregwin(Hwnd wnd, WindowSystem& ws, const EngineWide& wide)
    : Wnd(wnd), ws_(&ws), wide_(&wide) {}

// One step out of the edge. The window is sent to its position at every call, also when
// nothing moved, so a window on its way out is always topmost.
popyo::Status Tregwin::StepShow() {
    if (Rect.Left < kParkedLeft) {
        return rsShowing;
    }
    popyo::Status result = rsShown;
    if (ToHome == 0) {
        result = StepOutToEdge(Outward(Bounds(), FrameInsets()));
    } else if (ToHome == 1) {
        result = StepOutToHome();
    }
    ws_->SetWindowPos(Wnd, kHwndTopmost, Rect.Left, Rect.Top, kSwpNoSize);
    if (result == rsShown && (Style & kWsMaximize) != 0) {
        ws_->ShowWindow(Wnd, kSwShowMaximized);
    }
    return result;
}

// Out to the desktop edge. The start tests use the desktop rectangle, but the left and top
// end positions are 0: on a desktop that starts left of or above 0 the window comes to rest
// at the first step at or past the desktop's side. Against a monitor's side, the window
// rests on that side. A window coming out at a side edge with its title bar above the
// screen comes down to the screen's top.
popyo::Status Tregwin::StepOutToEdge(const SlideBounds& bounds) {
    const TRect& desk = bounds.Sides;
    const std::int32_t step = StepOf(*wide_);
    popyo::Status result = rsShown;
    switch (Edge) {
        case edLeft:
            if (Rect.Left < desk.Left) {
                Rect.Left = Add(Rect.Left, step);
                result = rsShowing;
                Rect.Top = std::max(Rect.Top, ScreenTop());
                if (Rect.Left >= bounds.RestLeft) {
                    Rect.Left = bounds.RestLeft;
                    result = rsShown;
                }
            }
            break;
        case edTop:
            if (Rect.Top < desk.Top) {
                Rect.Top = Add(Rect.Top, step);
                result = rsShowing;
                if (Rect.Top >= bounds.RestTop) {
                    Rect.Top = bounds.RestTop;
                    result = rsShown;
                }
            }
            break;
        case edBottom:
            if (Rect.Bottom > desk.Bottom) {
                const std::int32_t height = Height(Rect);
                Rect.Top = Sub(Rect.Top, step);
                Rect.Bottom = Sub(Rect.Bottom, step);
                result = rsShowing;
                if (Rect.Bottom <= desk.Bottom) {
                    Rect.Top = Sub(desk.Bottom, height);
                    result = rsShown;
                }
            }
            break;
        case edRight:
            if (Rect.Right > desk.Right) {
                const std::int32_t width = Width(Rect);
                Rect.Left = Sub(Rect.Left, step);
                Rect.Right = Sub(Rect.Right, step);
                result = rsShowing;
                Rect.Top = std::max(Rect.Top, ScreenTop());
                if (Rect.Right <= desk.Right) {
                    Rect.Left = Sub(desk.Right, width);
                    result = rsShown;
                }
            }
            break;
        default:
            break;
    }
    return result;
}

// Out to where the window stood when its hide started (HomeX for the side edges, HomeY for
// the top and bottom ones).
popyo::Status Tregwin::StepOutToHome() {
    const std::int32_t step = StepOf(*wide_);
    popyo::Status result = rsShown;
    switch (Edge) {
        case edLeft:
            if (Rect.Left < HomeX) {
                Rect.Left = Add(Rect.Left, step);
                result = rsShowing;
                Rect.Top = std::max(Rect.Top, ScreenTop());
                if (Rect.Left >= HomeX) {
                    Rect.Left = HomeX;
                    result = rsShown;
                }
            }
            break;
        case edTop:
            if (Rect.Top < HomeY) {
                Rect.Top = Add(Rect.Top, step);
                result = rsShowing;
                if (Rect.Top >= HomeY) {
                    Rect.Top = HomeY;
                    result = rsShown;
                }
            }
            break;
        case edBottom:
            if (Rect.Top > HomeY) {
                Rect.Top = Sub(Rect.Top, step);
                result = rsShowing;
                if (Rect.Top <= HomeY) {
                    Rect.Top = HomeY;
                    result = rsShown;
                }
            }
            break;
        case edRight:
            if (Rect.Left > HomeX) {
                Rect.Left = Sub(Rect.Left, step);
                result = rsShowing;
                Rect.Top = std::max(Rect.Top, ScreenTop());
                if (Rect.Left <= HomeX) {
                    Rect.Left = HomeX;
                    result = rsShown;
                }
            }
            break;
        default:
            break;
    }
    return result;
}

// One step into the edge. The rectangle is re-read first, so a window that its user moves
// or resizes while it hides is stepped on from where it now is. The step that reaches the
// end position still answers rsHiding; the next call finds no overlap and answers rsHidden.
popyo::Status Tregwin::StepHide() {
    if (Edge == edNone) {
        return rsHidden;
    }
    RestoreIfMaximized(ws_->GetWindowLongA(Wnd, kGwlStyle));
    if (auto r = ReadRect()) {
        Rect = *r;
    }
    if (Rect.Left < kParkedLeft) {
        return rsHiding;
    }
    const TRect insets = FrameInsets();
    const popyo::Status result = StepIn(Inward(Bounds(), insets), insets);
    ws_->SetWindowPos(Wnd, kHwndNoTopmost, Rect.Left, Rect.Top, kSwpNoActivate | kSwpNoSize);
    return result;
}

// A hidden window lies wholly outside the desktop with its near side on the desktop's
// edge: the step that would carry it past the edge puts it exactly there instead. The
// window's size is taken before the step, which may saturate one side and not the other.
popyo::Status Tregwin::StepIn(const SlideBounds& bounds, const TRect& insets) {
    const TRect& desk = bounds.Sides;
    const std::int32_t step = StepOf(*wide_);
    const std::int32_t width = Width(Rect);
    const std::int32_t height = Height(Rect);
    // Beyond the desktop's side no monitor shows a window. Beyond a monitor's side another
    // monitor may (its user moved it there): the step then brings it back to just beyond the
    // side, where none does. Invisible borders show nothing.
    const bool shown =
        bounds.FromMonitor && OnAnyMonitor(wide_->Monitors, VisiblePart(Rect, insets));
    switch (Edge) {
        case edLeft:
            if (Rect.Right <= desk.Left && !shown) {
                return rsHidden;
            }
            Rect.Left = Sub(Rect.Left, step);
            Rect.Right = Sub(Rect.Right, step);
            if (Rect.Right < desk.Left) {
                Rect.Left = Sub(desk.Left, width);
            }
            return rsHiding;
        case edTop:
            if (Rect.Bottom <= desk.Top && !shown) {
                return rsHidden;
            }
            Rect.Top = Sub(Rect.Top, step);
            Rect.Bottom = Sub(Rect.Bottom, step);
            if (Rect.Bottom < desk.Top) {
                Rect.Top = Sub(desk.Top, height);
            }
            return rsHiding;
        case edBottom:
            if (Rect.Top >= desk.Bottom && !shown) {
                return rsHidden;
            }
            Rect.Top = Add(Rect.Top, step);
            if (Rect.Top > desk.Bottom) {
                Rect.Top = desk.Bottom;
            }
            return rsHiding;
        case edRight:
            if (Rect.Left >= desk.Right && !shown) {
                return rsHidden;
            }
            Rect.Left = Add(Rect.Left, step);
            if (Rect.Left > desk.Right) {
                Rect.Left = desk.Right;
            }
            return rsHiding;
        default:
            return rsHidden;
    }
}

// The style is kept from before the restore: that is how StepShow knows to maximize the
// window again once it is fully out. A hide that starts again before the window is fully
// out (sliding in, tucked away, or sliding out) finds the window as the engine restored it,
// so the maximize it remembered stays.
void Tregwin::StartHide() {
    const bool restoredByEngine = Status == rsHiding || Status == rsHidden || Status == rsShowing;
    Status = rsHiding;
    const std::uint32_t style = ws_->GetWindowLongA(Wnd, kGwlStyle);
    RestoreIfMaximized(style);
    Style = restoredByEngine ? (style | (Style & kWsMaximize)) : style;
}

// A maximized window cannot slide; it hides restored, and its restored rectangle becomes
// the place a release puts it back to. Only a rectangle on the desktop does: a window the
// user maximizes in mid-slide restores to where the slide had taken it, partly or wholly
// beyond the edge, and a release must never put a window back there.
void Tregwin::RestoreIfMaximized(std::uint32_t style) {
    if ((style & kWsMaximize) == 0) {
        return;
    }
    ws_->ShowWindow(Wnd, kSwRestore);
    if (auto r = ws_->GetWindowRect(Wnd); r && Contains(wide_->DeskRect, *r)) {
        HomeRect = *r;
    }
}

popyo::Edge Tregwin::Validate() {
    if (Wnd == 0) {
        FreeSlot();
        return edNone;
    }
    const std::uint32_t style = ws_->GetWindowLongA(Wnd, kGwlStyle);
    if (style == 0) {
        FreeSlot();
        return edNone;
    }
    if ((style & kWsVisible) == 0 || (style & kWsMinimize) != 0) {
        Status = rsMinimized;
        return Edge;
    }
    if (auto r = ReadRect()) {
        Rect = *r;
    } else {
        FreeSlot();
    }
    return Edge;
}

std::optional<TRect> Tregwin::ReadRect() const {
    auto r = ws_->GetWindowRect(Wnd);
    if (r && Framed && r->Left == Framed->shown.X && r->Top == Framed->shown.Y) {
        const TPoint at = Framed->tick;
        r = TRect{at.X, at.Y, Add(at.X, Width(*r)), Add(at.Y, Height(*r))};
    }
    return r;
}

// The step runs on a copy: nothing moves, and the window manager is asked only for the
// visible frame, as the step itself would ask.
std::optional<TPoint> Tregwin::NextStepFrom(const TRect& at) const {
    if (at.Left < kParkedLeft) {
        return std::nullopt;
    }
    Tregwin probe = *this;
    probe.Rect = at;
    if (Status == rsShowing && ToHome == 0) {
        probe.StepOutToEdge(Outward(probe.Bounds(), probe.FrameInsets()));
    } else if (Status == rsShowing && ToHome == 1) {
        probe.StepOutToHome();
    } else if (Status == rsHiding && Edge != edNone) {
        const TRect insets = probe.FrameInsets();
        probe.StepIn(Inward(probe.Bounds(), insets), insets);
    }
    const TPoint to{probe.Rect.Left, probe.Rect.Top};
    if (to == TPoint{at.Left, at.Top}) {
        return std::nullopt;
    }
    return to;
}

// With several monitors of different sizes or places, parts of the desktop rectangle's
// border lie on no monitor. A window whose monitor's side of its edge lies inside the desktop
// rectangle, with nothing beyond it that would show the window, hides beyond that side and
// comes out to it. Otherwise (one monitor, a window larger than its monitor, or not in line
// with it, a neighbour that would show it, or a side on the desktop's own border) it slides
// against the desktop's side.
SlideBounds Tregwin::Bounds() const {
    const TRect& desk = wide_->DeskRect;
    const SlideBounds desktop{desk, 0, 0, false};
    const MonitorList& monitors = wide_->Monitors;
    const TRect& m = Monitor;
    if (monitors.Count() < 2 || HasNoArea(m) || Width(Rect) > Width(m) ||
        Height(Rect) > Height(m)) {
        return desktop;
    }
    TRect sides = desk;
    TRect beyond = Rect;
    bool inside = false;
    // In line: the window shares a stretch of the side with its monitor, so that it comes out
    // onto that monitor.
    bool inLine = false;
    switch (Edge) {
        case edLeft:
            inLine = Rect.Top < m.Bottom && m.Top < Rect.Bottom;
            inside = m.Left > desk.Left;
            sides.Left = m.Left;
            beyond = {Sub(m.Left, Width(Rect)), Rect.Top, m.Left, Rect.Bottom};
            break;
        case edTop:
            inLine = Rect.Left < m.Right && m.Left < Rect.Right;
            inside = m.Top > desk.Top;
            sides.Top = m.Top;
            beyond = {Rect.Left, Sub(m.Top, Height(Rect)), Rect.Right, m.Top};
            break;
        case edBottom:
            inLine = Rect.Left < m.Right && m.Left < Rect.Right;
            inside = m.Bottom < desk.Bottom;
            sides.Bottom = m.Bottom;
            beyond = {Rect.Left, m.Bottom, Rect.Right, Add(m.Bottom, Height(Rect))};
            break;
        case edRight:
            inLine = Rect.Top < m.Bottom && m.Top < Rect.Bottom;
            inside = m.Right < desk.Right;
            sides.Right = m.Right;
            beyond = {m.Right, Rect.Top, Add(m.Right, Width(Rect)), Rect.Bottom};
            break;
        default:
            return desktop;
    }
    if (!inLine || !inside || OnAnyMonitor(monitors, beyond)) {
        return desktop;
    }
    return {sides, m.Left, m.Top, true};
}

// On Windows 10 and 11 a standard window's rectangle holds invisible resize borders, about
// 7 pixels on the left, right and bottom: lined up by its rectangle, the window would stand
// that far off the edge. All zero unless the engine is told to line up the visible frame and
// DWM gives one that a frame could be.
TRect Tregwin::FrameInsets() const {
    if (!wide_->Options.AlignVisibleFrame()) {
        return {};
    }
    const auto frame = ws_->GetVisibleFrame(Wnd);
    return frame ? FrameInsetsOf(Rect, *frame) : TRect{};
}

TRect FrameInsetsOf(const TRect& rect, const TRect& frame) {
    const TRect in{Sub(frame.Left, rect.Left), Sub(frame.Top, rect.Top),
                   Sub(rect.Right, frame.Right), Sub(rect.Bottom, frame.Bottom)};
    for (const std::int32_t side : {in.Left, in.Top, in.Right, in.Bottom}) {
        if (side < 0 || side > kMaxFrameInset) {
            return {};
        }
    }
    if (Add(in.Left, in.Right) >= Width(rect) || Add(in.Top, in.Bottom) >= Height(rect)) {
        return {};
    }
    return in;
}

TRect VisiblePart(const TRect& rect, const TRect& insets) {
    return {Add(rect.Left, insets.Left), Add(rect.Top, insets.Top), Sub(rect.Right, insets.Right),
            Sub(rect.Bottom, insets.Bottom)};
}

// A window coming out at a side edge comes no higher than this, so that its title bar shows:
// 0 on one monitor. With several, a monitor may lie above the primary one and a window on it
// keeps its place; only a title bar above the box of all monitors comes down, to its top.
std::int32_t Tregwin::ScreenTop() const {
    return wide_->Monitors.Count() >= 2 ? std::min(wide_->DeskRect.Top, 0) : 0;
}

// Called when the window's monitor has gone and the window belongs to another. A window that
// no monitor shows and that shares no stretch of its edge's side with its new monitor would
// come out where no monitor shows it either: it moves across, by the least distance, into
// line with the monitor, as far beyond the side as it was. Should a monitor show it there,
// the tick hides it again, as after any change of the monitors.
void Tregwin::ComeIntoLineWithMonitor() {
    const TRect& m = Monitor;
    const auto now = ws_->GetWindowRect(Wnd);
    if (!now || HasNoArea(m) || OnAnyMonitor(wide_->Monitors, *now)) {
        return;
    }
    const bool sideways = Edge == edLeft || Edge == edRight;
    const bool inLine = sideways ? now->Top < m.Bottom && m.Top < now->Bottom
                                 : now->Left < m.Right && m.Left < now->Right;
    if (inLine) {
        return;
    }
    const TPoint within = PlaceWithin(*now, m);
    const TPoint to = sideways ? TPoint{now->Left, within.Y} : TPoint{within.X, now->Top};
    Rect = {to.X, to.Y, Add(to.X, Width(*now)), Add(to.Y, Height(*now))};
    ws_->SetWindowPos(Wnd, 0, to.X, to.Y, kSwpNoSize | kSwpNoZOrder | kSwpNoActivate);
}

// Where a hide against these sides leaves the window: its near side just beyond its edge.
TPoint Tregwin::RestBeyond(const TRect& sides) const {
    switch (Edge) {
        case edLeft:
            return {Sub(sides.Left, Width(Rect)), Rect.Top};
        case edTop:
            return {Rect.Left, Sub(sides.Top, Height(Rect))};
        case edBottom:
            return {Rect.Left, sides.Bottom};
        case edRight:
            return {sides.Right, Rect.Top};
        default:
            return {Rect.Left, Rect.Top};
    }
}

// A tucked-away window waits just beyond its edge, where a hide leaves it. When the desktop
// or the monitors change, one left farther out (beyond a monitor that went away) moves in to
// that place, so that a pop shows it at its first step rather than after a slide through
// nothing. A window that lies nearer, or on the other side, stays where it is.
void Tregwin::WaitJustBeyondEdge() {
    const TPoint rest = RestBeyond(Inward(Bounds(), FrameInsets()).Sides);
    const TPoint to{Edge == edLeft ? std::max(Rect.Left, rest.X) : std::min(Rect.Left, rest.X),
                    Edge == edTop ? std::max(Rect.Top, rest.Y) : std::min(Rect.Top, rest.Y)};
    if (to == TPoint{Rect.Left, Rect.Top}) {
        return;
    }
    Rect = {to.X, to.Y, Add(to.X, Width(Rect)), Add(to.Y, Height(Rect))};
    ws_->SetWindowPos(Wnd, 0, to.X, to.Y, kSwpNoSize | kSwpNoZOrder | kSwpNoActivate);
}

void Tregwin::FreeSlot() {
    Wnd = 0;
    Edge = edNone;
}

// All four bounds are inclusive, the right and bottom ones too.
bool Tregwin::ContainsPoint(TPoint p) const {
    const std::int32_t m = wide_->OutMargin;
    return Sub(Rect.Left, m) <= p.X && p.X <= Add(Rect.Right, m) && Sub(Rect.Top, m) <= p.Y &&
           p.Y <= Add(Rect.Bottom, m);
}

void Tregwin::Pin() {
    Pinned = true;
}

void Tregwin::Unpin() {
    Pinned = false;
    Status = rsShown;
}

}  // namespace popyo
