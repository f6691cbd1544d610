// The engine tick: every 50 ms it follows the foreground window, watches the cursor at
// the screen edges, and moves every registered window one step of its state machine.
#include "engine/PopyonnCom.h"
#include "engine/frmPopyonnEngine.h"

#include <algorithm>
#include <span>
#include <utility>

namespace popyo {

namespace {

// Reading the desktop rectangle is the dearest call of an idle tick, and the desktop seldom
// changes: it is read every 20th tick (1 s), and on every tick for 2 s after the system
// says the display or its settings changed.
constexpr std::int32_t kDeskReadEvery = 20;
constexpr std::int32_t kDisplayChangeTicks = 40;

bool ShownOrLeaving(Status status) {
    return status == rsShown || status == rsLeaving;
}

// Clears Busy however the tick ends.
class BusyScope {
  public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& busy_;
};

}  // namespace

void TformPopyonnEngine::Timer1Timer() {
    if (Busy) {
        return;
    }
    BusyScope busy(Busy);
    ++tickNumber_;
    // The clock is read only where frames are drawn between ticks.
    const bool framed = Wide.Options.SlideFrames() > 1;
    const std::int64_t tickMicros = framed ? ws_.NowMicros() : 0;

    ForeWnd = ws_.GetForegroundWindow();
    const bool deskRead = RefreshDeskRectIfDue();
    const bool leftDown = ws_.GetKeyState(kVkLButton) < 0;
    const bool buttonDown = leftDown || ws_.GetKeyState(kVkRButton) < 0;

    // A switch to an attached front-end that is not itself registered shows and hides
    // nothing: using the front-end must not tuck the windows away.
    if (ForeWnd != PrevForeWnd) {
        const WindowClass c = ClassifyWindow(ForeWnd, ForeWnd);
        if (c != wcFrontEnd && c != wcOtherFrontEnd) {
            ActivationPass(buttonDown);
        }
    }

    std::uint8_t curEdge = 0;
    if (auto p = ws_.GetCursorPos()) {
        cursor_ = *p;
    }
    if (PendingEdge != 0) {
        // A requested pop leaves the dwell count as it was.
        curEdge = PendingEdge;
        PendingEdge = 0;
        PopEdge(curEdge);
    } else {
        TRect monitor{};
        if (EdgeTestAllowed(leftDown)) {
            curEdge = EdgeUnderCursor(cursor_, monitor);
        }
        CountDwell(curEdge, monitor);
    }

    PrevForeWnd = ForeWnd;
    // A slide always steps against the desktop as it is now.
    if (!deskRead && AnySliding()) {
        ReadDeskRect();
    }
    const bool needsCompaction = WindowPass(cursor_, buttonDown);
    if (needsCompaction) {
        CompactList();
    }
    LastEdge = curEdge;
    if (framed || timer2On_) {
        PlanFrames(tickMicros);
    }
}

// Every window that slides is led, frame by frame, from where this tick put it to where the
// next tick will. The next tick decides that place afresh: the frames only draw the way.
void TformPopyonnEngine::PlanFrames(std::int64_t tickMicros) {
    for (const auto& slot : RegWins) {
        slot->Framed.reset();
    }
    const int frames = Wide.Options.SlideFrames();
    frames_.Start(tickMicros, frames);
    for (int i = 0; frames > 1 && i < SlotCount(); ++i) {
        const Tregwin& slot = Slot(i);
        const bool sliding = slot.Status == rsShowing || slot.Status == rsHiding;
        if (!sliding || slot.Pinned || slot.Wnd == 0 || CloakedNow(i)) {
            continue;
        }
        const auto rect = ws_.GetWindowRect(slot.Wnd);
        const auto to = rect ? slot.NextStepFrom(*rect) : std::nullopt;
        if (to) {
            const TPoint from{rect->Left, rect->Top};
            frames_.Add({i, slot.Wnd, slot.Status, from, *to, from});
        }
    }
    if (frames_.Active()) {
        ArmTimer2(tickMicros);
    } else {
        StopFrames();
    }
}

void TformPopyonnEngine::Timer2Timer() {
    if (Busy || !frames_.Active() || !Timer1.Enabled()) {
        StopFrames();
        return;
    }
    const std::int64_t now = ws_.NowMicros();
    const int due = frames_.DueFrame(now);
    if (due > frames_.LastShown()) {
        // A button held down may be the user taking hold of a window: no frame moves one
        // until the next tick.
        if (ws_.GetKeyState(kVkLButton) < 0) {
            StopFrames();
            return;
        }
        // Each move waits for the window's program, which lets other programs' messages in:
        // one may stop the frames (a settings dialog opens, a front-end detaches).
        const std::uint64_t plan = frames_.Plan();
        for (std::size_t i = 0; i < frames_.Slides().size(); ++i) {
            FramedSlide slide = frames_.Slides()[i];
            const bool moved = MoveFrame(slide, due);
            if (frames_.Plan() != plan) {
                return;
            }
            frames_.Slides()[i] = slide;
            frames_.Slides()[i].wnd = moved ? slide.wnd : 0;
        }
        std::erase_if(frames_.Slides(), [](const FramedSlide& slide) { return slide.wnd == 0; });
    }
    if (frames_.Shown(due)) {
        ArmTimer2(now);
    } else {
        StopFrames();
    }
}

// A window that no longer slides as it did when the tick planned its frames (released,
// pinned, told to hide), that its user moved, or that is gone stays where it is.
bool TformPopyonnEngine::MoveFrame(FramedSlide& slide, int frame) {
    if (slide.index >= SlotCount()) {
        return false;
    }
    Tregwin& slot = Slot(slide.index);
    if (slot.Wnd != slide.wnd || slot.Status != slide.status || slot.Pinned) {
        return false;
    }
    const auto rect = ws_.GetWindowRect(slide.wnd);
    if (!rect || rect->Left != slide.shown.X || rect->Top != slide.shown.Y) {
        return false;
    }
    const TPoint at = SlideFrames::Place(slide.from, slide.to, frame, frames_.Frames());
    ws_.SetWindowPos(slide.wnd, kHwndTop, at.X, at.Y, kSwpNoSize | kSwpNoZOrder | kSwpNoActivate);
    slide.shown = at;
    slot.Framed = Tregwin::FramePlace{at, slide.from};
    return true;
}

void TformPopyonnEngine::ArmTimer2(std::int64_t now) {
    constexpr std::int64_t kMicrosPerMs = 1000;
    const std::int64_t wait = std::max<std::int64_t>(frames_.NextDue() - now, 0);
    ws_.SetTimer2(static_cast<std::uint32_t>(
        std::max<std::int64_t>((wait + kMicrosPerMs - 1) / kMicrosPerMs, 1)));
    timer2On_ = true;
}

void TformPopyonnEngine::StopFrames() {
    frames_.Clear();
    if (timer2On_) {
        ws_.SetTimer2(std::nullopt);
        timer2On_ = false;
    }
}

void TformPopyonnEngine::DesktopChanged() {
    displayChangeTicks_ = kDisplayChangeTicks;
}

// Answers whether the rectangle was read in this tick.
bool TformPopyonnEngine::RefreshDeskRectIfDue() {
    deskAge_ = Add(deskAge_, 1);
    const bool due = !deskEverRead_ || displayChangeTicks_ > 0 || deskAge_ >= kDeskReadEvery;
    if (displayChangeTicks_ > 0) {
        --displayChangeTicks_;
    }
    if (due) {
        ReadDeskRect();
    }
    return due;
}

// A failed read keeps the rectangle as it was, all zeros before the first success. The
// monitors are read with it. With several monitors the rectangle is at least their bounding
// box, whatever the desktop window says: without the shell, the system's desktop window
// stands in, and some systems make that as large as the primary monitor alone. A box shrunk
// to one monitor would read the windows of the others as hidden where they stand, and bring
// them out onto it.
void TformPopyonnEngine::ReadDeskRect() {
    deskAge_ = 0;
    const auto read = ReadShellRect();
    ReadMonitors();
    TRect desk = read.value_or(Wide.DeskRect);
    if (SeveralMonitors()) {
        const TRect box = BoundingBox(Wide.Monitors);
        desk = read ? Enclosing(*read, box) : box;
    }
    if (deskEverRead_ && desk != Wide.DeskRect) {
        hiddenMayShow_ = true;
    }
    Wide.DeskRect = desk;
    deskEverRead_ = true;
}

// When the shell ends, its desktop window goes, and the handle names no window; when it
// starts again, its desktop window is a new one. A handle that reads nothing is looked up
// again, and while the shell is away the system's desktop window stands in.
std::optional<TRect> TformPopyonnEngine::ReadShellRect() {
    auto read = ws_.GetWindowRect(DesktopWnd);
    if (!read || shellLost_) {
        const Hwnd before = DesktopWnd;
        FindShellWindows();
        if (DesktopWnd != before || !read) {
            read = ws_.GetWindowRect(DesktopWnd);
        }
    }
    return read;
}

// A window whose monitor is gone belongs to the remaining monitor nearest to where that one
// was, and comes into line with it when nothing shows it where it is: left where it stands,
// it would come out where no monitor shows it. A read that finds no monitor at all tells
// nothing and is passed over.
void TformPopyonnEngine::ReadMonitors() {
    const MonitorList monitors = ws_.GetMonitors();
    if (monitors.Empty() || monitors == Wide.Monitors) {
        monitorsRead_ = monitorsRead_ || !monitors.Empty();
        return;
    }
    if (monitorsRead_) {
        hiddenMayShow_ = true;
    }
    monitorsRead_ = true;
    Wide.Monitors = monitors;
    // Counted once, as in the window pass: a move waits on the window, and a window
    // registered meanwhile has its monitor already.
    const int count = SlotCount();
    for (int i = 0; i < count; ++i) {
        Tregwin& slot = Slot(i);
        if (!HasNoArea(slot.Monitor) && !monitors.Contains(slot.Monitor)) {
            slot.Monitor = MonitorFor(monitors, slot.Monitor);
            if (slot.Wnd != 0 && slot.Status != rsMinimized) {
                slot.ComeIntoLineWithMonitor();
            }
        }
    }
}

// On one monitor, the desktop rectangle; on several, any monitor.
bool TformPopyonnEngine::ShownOnDesktop(const TRect& r) const {
    return SeveralMonitors() ? OnAnyMonitor(Wide.Monitors, r) : Intersects(r, Wide.DeskRect);
}

bool TformPopyonnEngine::AnySliding() const {
    for (const auto& slot : RegWins) {
        if (slot->Status == rsShowing || slot->Status == rsHiding) {
            return true;
        }
    }
    return false;
}

// A change of foreground seen while a mouse button is down is not looked at again: the
// user is dragging or clicking, and the windows it left stay where they are.
void TformPopyonnEngine::ActivationPass(bool buttonDown) {
    for (int i = 0; i < SlotCount(); ++i) {
        Tregwin& slot = Slot(i);
        if (slot.Wnd == ForeWnd) {
            if (!slot.WasActive) {
                slot.WasActive = true;
                if (ActWin) {
                    BeginShowing(i);
                }
            }
        } else if (!buttonDown && slot.WasActive) {
            slot.WasActive = false;
            if (HiAct) {
                BeginHiding(i);
            }
        }
    }
}

// With MouseDownDisable on, the edge test runs when the left button and the disable key
// are both up or both down: either alone holds it back, both together let it through.
bool TformPopyonnEngine::EdgeTestAllowed(bool leftDown) {
    if (!MouseDownDisable) {
        return true;
    }
    const bool keyDown = ws_.GetKeyState(DisableKey) < 0;
    return leftDown == keyDown;
}

// Later comparisons overwrite earlier ones, so at a corner the top or bottom edge wins.
// The bottom zone is one pixel taller than the others, so y = Bottom - w - 1 is in it. With
// several monitors the zones lie along the sides of the monitor under the cursor, where no
// other monitor continues beyond them; `monitor` tells which monitor that is.
std::uint8_t TformPopyonnEngine::EdgeUnderCursor(TPoint cursor, TRect& monitor) const {
    const bool several = SeveralMonitors();
    const TRect area = several ? MonitorAt(Wide.Monitors, cursor) : Wide.DeskRect;
    auto outer = [&](std::int32_t x, std::int32_t y) {
        return !several || !Covered(Wide.Monitors, x, y);
    };
    const std::int32_t w = Wide.EdgeWidth;
    std::uint8_t edge = edNone;
    if (cursor.X < Add(area.Left, w) && outer(Sub(area.Left, 1), cursor.Y)) {
        edge = edLeft;
    }
    if (cursor.X > Sub(Sub(area.Right, w), 1) && outer(area.Right, cursor.Y)) {
        edge = edRight;
    }
    if (cursor.Y < Add(area.Top, w) && outer(cursor.X, Sub(area.Top, 1))) {
        edge = edTop;
    }
    if (cursor.Y > Sub(Sub(area.Bottom, w), 2) && outer(cursor.X, area.Bottom)) {
        edge = edBottom;
    }
    monitor = several ? area : TRect{};
    return edge;
}

// The first tick at an edge never pops. After a pop the count stays -1 until the cursor
// leaves the edge, so one push pops one window.
void TformPopyonnEngine::CountDwell(std::uint8_t curEdge, const TRect& monitor) {
    if (curEdge == edNone || curEdge != LastEdge) {
        DwellCount = 0;
        return;
    }
    if (DwellCount < 0) {
        return;
    }
    DwellCount = Add(DwellCount, 1);
    if (DwellCount >= OnTime || (SwitchOnTime && LastPopEdge == curEdge)) {
        // Over a full-screen program the push is spent without a pop, as if one had come.
        if (!FullScreenInFront(HasNoArea(monitor) ? PushedMonitor() : monitor)) {
            PopEdge(curEdge, HasNoArea(monitor) ? nullptr : &monitor);
        }
        DwellCount = -1;
    }
}

// On one monitor the push is made on the monitor under the cursor, or on the desktop when
// no monitor could be read.
TRect TformPopyonnEngine::PushedMonitor() const {
    return Wide.Monitors.Empty() ? Wide.DeskRect : MonitorAt(Wide.Monitors, cursor_);
}

// While a game or a video fills its monitor, the cursor reaches that monitor's edges all the
// time, and a window popped over the program would take the foreground from it. A window
// covers its monitor when its rectangle contains the monitor's, whatever its style; but a
// maximized window with a title bar is no full-screen program, though its frame hangs over
// every side where the taskbar hides itself. The desktop, the shell, a registered window and
// the engine's own windows are never full-screen programs. Asked only when a push would pop.
bool TformPopyonnEngine::FullScreenInFront(const TRect& monitor) {
    if (!Wide.Options.QuietOverFullscreen() || ForeWnd == 0 || IsShellWindow(ForeWnd) ||
        IndexOfWindow(ForeWnd) >= 0) {
        return false;
    }
    const auto r = ws_.GetWindowRect(ForeWnd);
    if (!r || !Contains(*r, monitor)) {
        return false;
    }
    const std::uint32_t style = ws_.GetWindowLongA(ForeWnd, kGwlStyle);
    if ((style & kWsMaximize) != 0 && (style & kWsCaption) == kWsCaption) {
        return false;
    }
    const std::string cls = ws_.GetClassNameA(ForeWnd);
    for (const char* shell : {"Progman", "WorkerW", "Shell_TrayWnd", "#32769"}) {
        if (cls == shell) {
            return false;
        }
    }
    return !ws_.IsOwnWindow(ForeWnd);
}

// Counts the slots once: a window registered while the pass waits inside a window call
// is handled from the next tick on. Answers whether a slot was found freed.
bool TformPopyonnEngine::WindowPass(TPoint cursor, bool buttonDown) {
    bool needsCompaction = false;
    // The desktop grew under windows hidden beyond its old edge: they show now, and slide
    // to the new edge from this tick on. Where it shrank, they wait beyond the new edge.
    const bool recheckHidden = std::exchange(hiddenMayShow_, false);
    underCursor_.reset();
    const int count = SlotCount();
    for (int i = 0; i < count; ++i) {
        if (Slot(i).Validate() == edNone) {
            needsCompaction = true;
            continue;
        }
        if (Slot(i).Pinned || Slot(i).Status == rsMinimized) {
            continue;
        }
        if (recheckHidden && Slot(i).Status == rsHidden) {
            if (ShownOnDesktop(Slot(i).Rect)) {
                Slot(i).Status = rsHiding;
            } else {
                Slot(i).WaitJustBeyondEdge();
            }
        }
        if (CursorCountsInside(i, cursor)) {
            Slot(i).MouseWasOut = false;
            Slot(i).OffCount = 0;
        } else {
            // With OutCheck on a leave counts only on the tick the cursor crosses out. A
            // button held down keeps the foreground window from being left.
            const Tregwin& slot = Slot(i);
            if (OutWin && (!OutCheck || !slot.MouseWasOut) &&
                (!buttonDown || slot.Wnd != ForeWnd) && slot.Status == rsShown) {
                BeginLeaving(i);
            }
            Slot(i).MouseWasOut = true;
        }
        StepWindow(i);
    }
    return needsCompaction;
}

// Within the window widened by the margin; or, for a window that is out, on a menu or popup
// of its own that spills past its edge: the user is still working in the window.
bool TformPopyonnEngine::CursorCountsInside(int index, TPoint cursor) {
    if (Slot(index).ContainsPoint(cursor)) {
        return true;
    }
    return ShownOrLeaving(Slot(index).Status) && CursorOnOwnPopup(Slot(index).Wnd, cursor);
}

// The top-level window under the cursor is the window's own when the window owns it, or when
// it is a popup or a menu of the window's own thread. Another top-level window of the same
// program is not: two windows of one program still hide each other.
bool TformPopyonnEngine::CursorOnOwnPopup(Hwnd wnd, TPoint cursor) {
    const WindowUnderCursor& under = LookUpWindowUnderCursor(cursor);
    if (under.root == 0 || under.root == wnd) {
        return false;
    }
    const auto owners = std::span(under.owners).first(under.ownerCount);
    if (std::find(owners.begin(), owners.end(), wnd) != owners.end()) {
        return true;
    }
    return under.popupOrMenu && under.thread != 0 &&
           under.thread == ws_.GetWindowThreadProcessId(wnd);
}

// An owner chain longer than the list is cut short: real ones are a step or two.
const WindowUnderCursor& TformPopyonnEngine::LookUpWindowUnderCursor(TPoint cursor) {
    if (underCursor_) {
        return *underCursor_;
    }
    WindowUnderCursor& under = underCursor_.emplace();
    const Hwnd hit = ws_.WindowFromPoint(cursor);
    under.root = hit == 0 ? 0 : ws_.GetAncestor(hit, kGaRoot);
    if (under.root == 0 || IsShellWindow(under.root)) {
        under.root = 0;
        return under;
    }
    for (Hwnd w = ws_.GetWindow(under.root, kGwOwner);
         w != 0 && under.ownerCount < under.owners.size(); w = ws_.GetWindow(w, kGwOwner)) {
        under.owners[under.ownerCount++] = w;
    }
    under.popupOrMenu = (ws_.GetWindowLongA(under.root, kGwlStyle) & kWsPopup) != 0 ||
                        ws_.GetClassNameA(under.root) == kMenuClassName;
    if (under.popupOrMenu) {
        under.thread = ws_.GetWindowThreadProcessId(under.root);
    }
    return under;
}

void TformPopyonnEngine::StepWindow(int index) {
    switch (Slot(index).Status) {
        case rsHiding: {
            if (CloakedNow(index)) {
                break;
            }
            const Status result = Slot(index).StepHide();
            Slot(index).Status = result;
            if (result == rsHidden) {
                FinishHidden(index);
            }
            break;
        }
        case rsLeaving:
            Slot(index).OffCount = Add(Slot(index).OffCount, 1);
            if (Slot(index).OffCount >= OffTime) {
                BeginHiding(index);
            }
            break;
        case rsShowing: {
            if (CloakedNow(index)) {
                break;
            }
            const Status result = Slot(index).StepShow();
            Slot(index).Status = result;
            if (result != rsShown) {
                // Each slide-out that takes more than one step records afresh.
                RestoreWnd = 0;
            } else if (AutoActivate) {
                FinishShown(index);
            }
            break;
        }
        default:
            break;
    }
}

// Once everything is tucked away, the foreground goes back to the window that had it
// before the first window slid out.
void TformPopyonnEngine::FinishHidden(int index) {
    if (Slot(index).Edge == LastPopEdge && AllTucked()) {
        LastPopEdge = 0;
    }
    if (AutoActivate && Slot(index).Wnd == ForeWnd && RestoreWnd != 0 && AllTucked()) {
        // A window on another virtual desktop stays there: forcing it to the front would
        // take the user along.
        if (!Wide.Options.SkipCloaked() || !ws_.IsCloaked(RestoreWnd)) {
            ForceForeground(ws_, RestoreWnd);
        }
        RestoreWnd = 0;
    }
}

// A cloaked window lies on another virtual desktop (or is otherwise kept from view by the
// shell). Sliding it out or handing it the foreground would take the user to that desktop,
// so it stays where it is until it shows again. DWM is asked at most once a tick per window,
// and only for a window about to be popped or slid.
bool TformPopyonnEngine::CloakedNow(int index) {
    if (!Wide.Options.SkipCloaked()) {
        return false;
    }
    Tregwin& slot = Slot(index);
    if (slot.CloakAskedAt != tickNumber_) {
        slot.CloakAskedAt = tickNumber_;
        slot.Cloaked = ws_.IsCloaked(slot.Wnd);
    }
    return slot.Cloaked;
}

void TformPopyonnEngine::FinishShown(int index) {
    const Hwnd previous = ForceForeground(ws_, Slot(index).Wnd);
    if (IndexOfWindow(previous) < 0 && RestoreWnd == 0) {
        RestoreWnd = previous;
    }
}

// A push brings back the window popped last at the edge when it has been tucked away
// again, and otherwise moves on, in list order and wrapping, to the next window there. Given
// a monitor, only the windows of that monitor count as windows of the edge.
void TformPopyonnEngine::PopEdge(std::uint8_t edge, const TRect* monitor) {
    if (!IsEdge(edge) || RegWins.empty()) {
        return;
    }
    const int count = SlotCount();
    const int remembered = LastPopIndex[edge];
    const int start = (remembered < 0 || remembered > count - 1) ? 0 : remembered;
    const int first = FirstIndexToLook(edge, monitor, start);
    for (int k = 0; k < count; ++k) {
        const int i = (first + k) % count;
        if (!Eligible(i, edge, monitor, remembered)) {
            continue;
        }
        if (Slot(i).Status == rsMinimized) {
            ws_.ShowWindow(Slot(i).Wnd, kSwRestore);
        }
        BeginShowing(i);
        return;
    }
}

// A push on a monitor reaches the windows that come out to that monitor's side: those that
// slide against their own monitor's side when it is this monitor, and those that slide
// against the desktop's side when this monitor's side is the desktop's.
bool TformPopyonnEngine::OnEdge(int index, std::uint8_t edge, const TRect* monitor) const {
    const Tregwin& slot = Slot(index);
    if (slot.Edge != edge) {
        return false;
    }
    if (monitor == nullptr) {
        return true;
    }
    if (slot.Bounds().FromMonitor) {
        return slot.Monitor == *monitor;
    }
    const TRect& desk = Wide.DeskRect;
    switch (edge) {
        case edLeft:
            return monitor->Left == desk.Left;
        case edTop:
            return monitor->Top == desk.Top;
        case edBottom:
            return monitor->Bottom == desk.Bottom;
        default:
            return monitor->Right == desk.Right;
    }
}

int TformPopyonnEngine::FirstIndexToLook(std::uint8_t edge, const TRect* monitor, int start) const {
    const Tregwin& slot = Slot(start);
    if (!OnEdge(start, edge, monitor)) {
        return 0;
    }
    if (slot.Status == rsShown || (slot.Status == rsMinimized && !AutoRestore) || slot.Pinned) {
        return (start + 1) % SlotCount();
    }
    return start;
}

bool TformPopyonnEngine::Eligible(int index,
                                  std::uint8_t edge,
                                  const TRect* monitor,
                                  int remembered) {
    const Tregwin& slot = Slot(index);
    if (!OnEdge(index, edge, monitor) || slot.Pinned) {
        return false;
    }
    bool eligible = true;
    switch (slot.Status) {
        case rsMinimized:
            eligible = AutoRestore;
            break;
        case rsShown:
            eligible = index != remembered;
            break;
        default:
            break;
    }
    return eligible && !CloakedNow(index);
}

void TformPopyonnEngine::BeginShowing(int index) {
    Tregwin& slot = Slot(index);
    slot.Status = rsShowing;
    LastPopIndex[slot.Edge] = index;
    LastPopEdge = slot.Edge;
}

void TformPopyonnEngine::BeginLeaving(int index) {
    Tregwin& slot = Slot(index);
    if (slot.Status == rsHidden || slot.Status == rsMinimized) {
        return;
    }
    slot.Status = rsLeaving;
    slot.OffCount = 0;
}

// With ChangePopyonStyle on, the window remembers where it stands now, so the next pop
// brings it out to this place rather than to the screen edge. A window that already sticks
// out past its own edge comes out to the edge. The left and top tests compare with 0.
void TformPopyonnEngine::BeginHiding(int index) {
    Tregwin& slot = Slot(index);
    if (slot.Status == rsHidden || slot.Status == rsMinimized) {
        return;
    }
    if (!ChangePopyonStyle) {
        slot.ToHome = 0;
    } else if (const auto r = slot.ReadRect()) {
        const TRect& desk = Wide.DeskRect;
        bool pastOwnEdge = false;
        switch (slot.Edge) {
            case edTop:
                pastOwnEdge = r->Top < 0;
                break;
            case edLeft:
                pastOwnEdge = r->Left < 0;
                break;
            case edBottom:
                pastOwnEdge = r->Bottom > desk.Bottom;
                break;
            case edRight:
                pastOwnEdge = r->Right > desk.Right;
                break;
            default:
                break;
        }
        if (pastOwnEdge) {
            slot.ToHome = 0;
        } else {
            // A coordinate is taken when the window overlaps the span from -3 to the
            // desktop's far side + 3 in that direction.
            slot.ToHome = 1;
            const std::int32_t width = Sub(r->Right, r->Left);
            const std::int32_t height = Sub(r->Bottom, r->Top);
            if (Sub(0, Add(width, 3)) < r->Left && r->Left < Add(desk.Right, 3)) {
                slot.HomeX = r->Left;
            }
            if (Sub(0, Add(height, 3)) < r->Top && r->Top < Add(desk.Bottom, 3)) {
                slot.HomeY = r->Top;
            }
        }
    }
    slot.StartHide();
}

bool TformPopyonnEngine::AllTucked() const {
    for (const auto& slot : RegWins) {
        if (slot->Status != rsHidden && slot->Status != rsMinimized) {
            return false;
        }
    }
    return true;
}

void TformPopyonnEngine::HideAll() {
    for (int i = 0; i < SlotCount(); ++i) {
        BeginHiding(i);
    }
}

}  // namespace popyo
