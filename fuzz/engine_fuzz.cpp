// The engine as a state machine on the simulated desktop. The input is read as a script of
// events: control messages with any parameters (handles of live, destroyed, unknown and
// shell windows and of front-ends), ticks, the cursor at the edges and corners, foreground
// changes, buttons and keys, windows destroyed, minimized, maximized, hidden, moved or
// resized at any moment, windows cloaked and given DWM frames, a window filling a monitor,
// the engine's options switched, the desktop resized, settings set to extremes, the settings dialog
// answered in every way, and control messages that arrive while the engine waits inside a
// window-manager call. After every event the engine's state must hold together; after the
// last one the engine is closed and every window it held must stand where release puts it.
//
// POPYO_FUZZ_TRACE=1 in the environment prints the events as they are decoded.
// POPYO_FUZZ_ONSCREEN=1 keeps the desktop fixed, every window the user moves on it and the
// settings sensible, and then also demands that a close leave every window it puts back
// on the desktop.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "engine/frmPopyonnEngine.h"
#include "fuzz/EngineChecks.h"
#include "platform/SimDesktop.h"
#include "settings/frmPopyonnEngineSetting.h"

namespace popyo::fuzz {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

constexpr std::uint32_t kMessages[] = {
    EM_SETTINGS, EM_ATTACH,    EM_DETACH,  EM_REGISTER,  EM_SETOWNER,  EM_SETHOME,
    EM_POP,      EM_HIDE,      EM_PIN,     EM_UNPIN,     EM_GETSTATUS, EM_GETEDGE,
    EM_CLASSIFY, EM_GETPINNED, EM_GETHOME, EM_SETOPTION, EM_GETOPTION, EM_SETMONITOR,
};
constexpr std::uint8_t kKnownMessages = sizeof(kMessages) / sizeof(kMessages[0]);

// Stands for a tick that the message loop would deliver while a tick waits in a window call.
constexpr std::uint32_t kNestedTick = 0;

// Deliveries inside deliveries go this deep at most.
constexpr int kMaxDepth = 3;
constexpr std::size_t kMaxPending = 8;
constexpr std::size_t kMaxWindows = 64;

enum class Event : std::uint8_t {
    Tick,
    Ticks,
    Message,
    Cursor,
    Foreground,
    Key,
    WindowOp,
    Desktop,
    Poke,
    ArmReentry,
    Dwm,
    Frame,
    Count
};

enum class WindowOp : std::uint8_t {
    Destroy,
    Minimize,
    Maximize,
    Hide,
    Show,
    Move,
    Restore,
    Resize,
    Create,
    FillMonitor,
    Sleep,
    Count
};

struct Message {
    std::uint32_t msg = 0;
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0;
};

class Rig {
  public:
    explicit Rig(const std::uint8_t* data, std::size_t size)
        : in_(data, size),
          trace_(std::getenv("POPYO_FUZZ_TRACE") != nullptr),
          onScreen_(std::getenv("POPYO_FUZZ_ONSCREEN") != nullptr) {}

    void Run() {
        Setup();
        while (in_.remaining_bytes() > 0 && engine_.Running()) {
            Step();
            AfterEvent();
        }
        Finish();
    }

  private:
    // --- choosing values ------------------------------------------------------------

    std::uint8_t Pick(std::uint8_t count) {
        return in_.ConsumeIntegralInRange<std::uint8_t>(0, static_cast<std::uint8_t>(count - 1));
    }

    // A value for a setting or a coordinate: the ends of the range, the small numbers
    // around zero, or anything.
    std::int32_t PickInt(std::int32_t usual) {
        switch (Pick(8)) {
            case 0:
                return 0;
            case 1:
                return -1;
            case 2:
                return 1;
            case 3:
                return kMin;
            case 4:
                return kMax;
            case 5:
                return in_.ConsumeIntegralInRange<std::int32_t>(-2000, 4000);
            case 6:
                return in_.ConsumeIntegral<std::int32_t>();
            default:
                return usual;
        }
    }

    TRect Screen() const { return sim_.RectOf(desktop_); }

    // Along one axis of the desktop: its sides, the first and last pixels of an edge zone
    // and those just beyond it, the middle, anywhere, or the ends of the range.
    std::int32_t PickCoordinate(std::int32_t lo, std::int32_t hi) {
        const std::int32_t w = engine_.Wide.EdgeWidth;
        switch (Pick(10)) {
            case 0:
                return lo;
            case 1:
                return Sub(Add(lo, w), 1);
            case 2:
                return Add(lo, w);
            case 3:
                return Sub(hi, 1);
            case 4:
                return Sub(hi, 2);
            case 5:
                return Sub(Sub(hi, w), 2);
            case 6:
                return hi;
            case 7:
                return kMin;
            case 8:
                return kMax;
            default:
                return in_.ConsumeIntegralInRange<std::int32_t>(std::min(lo, hi), std::max(lo, hi));
        }
    }

    Hwnd PickHandle() {
        switch (Pick(8)) {
            case 0:
            case 1:
            case 2:
                return windows_[Pick(static_cast<std::uint8_t>(windows_.size()))];
            case 3:
                return frontEnds_[Pick(static_cast<std::uint8_t>(frontEnds_.size()))];
            case 4:
                return gone_.empty() ? 0x7FFF0000u
                                     : gone_[Pick(static_cast<std::uint8_t>(
                                           std::min<std::size_t>(gone_.size(), 255)))];
            case 5:
                return 0;
            case 6:
                return in_.ConsumeBool() ? engine_.DesktopWnd : engine_.TrayWnd;
            default:
                return in_.ConsumeIntegral<std::uint32_t>();
        }
    }

    std::uint32_t PickLParam() {
        switch (Pick(4)) {
            case 0:
                return Pick(5);  // an edge, a ToHome value, the main flag
            case 1: {
                const std::uint32_t low = in_.ConsumeIntegral<std::uint8_t>();
                return low | (in_.ConsumeBool() ? in_.ConsumeIntegral<std::uint32_t>() << 8 : 0);
            }
            case 2:
                return PickHandle();
            default:
                return in_.ConsumeIntegral<std::uint32_t>();
        }
    }

    Message PickMessage() {
        Message m;
        const std::uint8_t which = Pick(kKnownMessages + 1);
        m.msg = which < kKnownMessages
                    ? kMessages[which]
                    : kFirstControlMessage + in_.ConsumeIntegralInRange<std::uint32_t>(
                                                 0, kLastControlMessage - kFirstControlMessage);
        // Options have small ids.
        const bool option = m.msg == EM_SETOPTION || m.msg == EM_GETOPTION;
        m.wParam = option ? Pick(6) : PickHandle();
        m.lParam = PickLParam();
        return m;
    }

    // A window of another program that still exists, or 0.
    Hwnd PickLiveWindow() {
        std::vector<Hwnd> live;
        for (Hwnd w : windows_) {
            if (sim_.Exists(w)) {
                live.push_back(w);
            }
        }
        if (live.empty()) {
            return 0;
        }
        return live[Pick(static_cast<std::uint8_t>(std::min<std::size_t>(live.size(), 255)))];
    }

    TRect PickRect() {
        if (onScreen_) {
            const TRect s = Screen();
            const std::int32_t left = in_.ConsumeIntegralInRange(s.Left, Sub(s.Right, 1));
            const std::int32_t top = in_.ConsumeIntegralInRange(s.Top, Sub(s.Bottom, 1));
            return {left, top, Add(left, in_.ConsumeIntegralInRange(1, 2000)),
                    Add(top, in_.ConsumeIntegralInRange(1, 1200))};
        }
        const std::int32_t left = PickInt(in_.ConsumeIntegralInRange<std::int32_t>(-100, 1800));
        const std::int32_t top = PickInt(in_.ConsumeIntegralInRange<std::int32_t>(-100, 1000));
        const std::int32_t width = in_.ConsumeBool() ? in_.ConsumeIntegralInRange(0, 2000)
                                                     : in_.ConsumeIntegralInRange(0, kMax);
        const std::int32_t height = in_.ConsumeIntegralInRange(0, 1200);
        return {left, top, Add(left, width), Add(top, height)};
    }

    // --- the world ------------------------------------------------------------------

    void Setup() {
        if (in_.ConsumeBool()) {
            sim_.AddShellWindows();
        }
        quietEnd_ = in_.ConsumeBool();
        const std::uint8_t clients = Pick(4) + 1;
        for (std::uint8_t i = 0; i < clients; ++i) {
            windows_.push_back(sim_.AddWindow(
                {100 + 50 * i, 100 + 40 * i, 500 + 50 * i, 400 + 40 * i}, "Client", "", 10 + i));
        }
        const std::uint8_t fronts = Pick(2) + 1;
        for (std::uint8_t i = 0; i < fronts; ++i) {
            frontEnds_.push_back(
                sim_.AddWindow({10, 10 + 60 * i, 210, 60 + 60 * i}, "FrontEnd", "", 20 + i));
        }
        sim_.foreground = windows_.front();
        sim_.cursor = {1500, 900};
        sim_.recordCalls = false;
        desktop_ = sim_.GetDesktopWindow();
        engine_.FormCreate();
        if (!engine_.Running()) {
            Violation("the engine did not start");
        }
        sim_.modalScript = [this](TModalForm& form) { AnswerDialog(dynamic_cast<TForm2&>(form)); };
        sim_.onCall = [this](const Call& call) { OnWindowCall(call); };
        Trace("setup: %zu clients, %zu front-ends, shell %d", windows_.size(), frontEnds_.size(),
              engine_.TrayWnd != 0);
    }

    void Step() {
        switch (static_cast<Event>(Pick(static_cast<std::uint8_t>(Event::Count)))) {
            case Event::Tick:
                Tick();
                break;
            case Event::Ticks:
                for (std::uint8_t n = Pick(32) + 1; n > 0 && engine_.Running(); --n) {
                    Tick();
                    AfterEvent();
                }
                break;
            case Event::Message:
                DeliverFromOutside(PickMessage());
                break;
            case Event::Cursor: {
                const TRect s = Screen();
                sim_.cursor = {PickCoordinate(s.Left, s.Right), PickCoordinate(s.Top, s.Bottom)};
                if (const Hwnd w = PickLiveWindow(); w != 0 && in_.ConsumeBool()) {
                    const TRect& r = sim_.RectOf(w);
                    sim_.cursor = {Add(r.Left, Width(r) / 2), Add(r.Top, Height(r) / 2)};
                }
                Trace("cursor %d,%d", sim_.cursor.X, sim_.cursor.Y);
                break;
            }
            case Event::Foreground: {
                const Hwnd w = PickHandle();
                sim_.foreground = sim_.Exists(w) ? w : 0;
                Trace("foreground %#x", sim_.foreground);
                break;
            }
            case Event::Key:
                ToggleKey();
                break;
            case Event::WindowOp:
                ChangeWindow();
                break;
            case Event::Desktop:
                ResizeDesktop();
                break;
            case Event::Poke:
                PokeSetting();
                break;
            case Event::ArmReentry:
                ArmReentry();
                break;
            case Event::Dwm:
                ChangeDwm();
                break;
            case Event::Frame:
                Frame();
                break;
            case Event::Count:
                break;
        }
    }

    // Timer2 fires when it is due, or later, or not at all before the next tick: its
    // message waits its turn in the queue.
    void Frame() {
        if (!sim_.timer2Due) {
            return;
        }
        sim_.nowMicros = std::max(sim_.nowMicros, *sim_.timer2Due) + Pick(20) * 1000;
        sim_.timer2Due.reset();
        inFrame_ = true;
        engine_.Timer2Timer();
        inFrame_ = false;
        Trace("frame at %lld us", static_cast<long long>(sim_.nowMicros));
    }

    // The timer runs only while the engine runs and no dialog is open.
    void Tick() {
        constexpr std::int64_t kTickMicros = 50000;
        sim_.nowMicros = (sim_.nowMicros / kTickMicros + 1) * kTickMicros;
        if (engine_.Running() && sim_.timerEnabled) {
            const std::vector<SlotBefore> before = SlotsBefore(engine_, sim_);
            const int reentries = reentries_;
            const MonitorList monitors = engine_.Wide.Monitors;
            engine_.Timer1Timer();
            TraceSlots("tick");
            CheckMonitorPlaces(engine_, sim_, before,
                               reentries == reentries_ && engine_.Wide.Monitors == monitors);
        }
    }

    void ToggleKey() {
        std::int32_t key = kVkLButton;
        switch (Pick(4)) {
            case 0:
                key = kVkLButton;
                break;
            case 1:
                key = kVkRButton;
                break;
            case 2:
                key = engine_.DisableKey;
                break;
            default:
                key = in_.ConsumeIntegral<std::uint8_t>();
                break;
        }
        if (!sim_.keysDown.erase(key)) {
            sim_.keysDown.insert(key);
        }
        Trace("key %d %s", key, sim_.keysDown.count(key) ? "down" : "up");
    }

    // What users and other programs do to their windows; none of it calls the engine.
    void ChangeWindow() {
        const auto op = static_cast<WindowOp>(Pick(static_cast<std::uint8_t>(WindowOp::Count)));
        if (op == WindowOp::Create) {
            if (windows_.size() >= kMaxWindows) {
                return;
            }
            windows_.push_back(sim_.AddWindow(PickRect(), "Client", "", 30));
            Trace("window %#x created", windows_.back());
            return;
        }
        const Hwnd w = PickLiveWindow();
        if (w == 0) {
            return;
        }
        SimWindow& win = sim_.Window(w);
        HookOff off(hookOn_);
        if (onScreen_ && (op == WindowOp::Move || op == WindowOp::Resize)) {
            // A user who drags or sizes a maximized window restores it where it stands.
            win.style &= ~kWsMaximize;
        }
        switch (op) {
            case WindowOp::Destroy:
                sim_.Destroy(w);
                gone_.push_back(w);
                break;
            case WindowOp::Minimize:
                sim_.Minimize(w);
                // Windows keeps only WS_MINIMIZE on a minimized window, also one that was
                // maximized.
                win.style &= ~kWsMaximize;
                break;
            case WindowOp::Maximize:
                sim_.Maximize(w);
                break;
            case WindowOp::Hide:
                sim_.SetVisible(w, false);
                break;
            case WindowOp::Show:
                sim_.SetVisible(w, true);
                break;
            case WindowOp::Move: {
                if (onScreen_) {
                    const TRect r = PickRect();
                    sim_.MoveTo(w, r.Left, r.Top);
                    break;
                }
                const TRect s = Screen();
                const std::int32_t left = PickCoordinate(s.Left, s.Right);
                const std::int32_t top = PickCoordinate(s.Top, s.Bottom);
                sim_.MoveTo(w, left, top);
                break;
            }
            case WindowOp::Restore:
                sim_.ShowWindow(w, kSwRestore);
                break;
            case WindowOp::Resize: {
                const TRect r = PickRect();
                win.rect = {win.rect.Left, win.rect.Top, Add(win.rect.Left, Width(r)),
                            Add(win.rect.Top, Height(r))};
                break;
            }
            case WindowOp::FillMonitor: {
                // A game or a video full screen, borderless or larger than the monitor.
                const MonitorList& monitors = sim_.Monitors();
                const TRect m =
                    monitors.Empty()
                        ? Screen()
                        : monitors.All()[Pick(static_cast<std::uint8_t>(monitors.Count()))];
                const std::int32_t over = in_.ConsumeBool() ? 0 : 8;
                win.rect = {Sub(m.Left, over), Sub(m.Top, over), Add(m.Right, over),
                            Add(m.Bottom, over)};
                win.style = kWsPopup | kWsVisible;
                break;
            }
            case WindowOp::Sleep:
                // Its program stops taking messages, or wakes and takes what queued.
                if (win.hung) {
                    sim_.Wake(w);
                } else {
                    sim_.Hang(w);
                }
                break;
            case WindowOp::Create:
            case WindowOp::Count:
                break;
        }
        Trace("window %#x op %d -> %d,%d,%d,%d style %#x", w, static_cast<int>(op),
              sim_.Exists(w) ? win.rect.Left : 0, sim_.Exists(w) ? win.rect.Top : 0,
              sim_.Exists(w) ? win.rect.Right : 0, sim_.Exists(w) ? win.rect.Bottom : 0,
              sim_.Exists(w) ? win.style : 0);
    }

    // What DWM says of a window: cloaked (the user went to another virtual desktop), and
    // the invisible borders inside its rectangle, as Windows 10 draws them, any others, or
    // none at all.
    void ChangeDwm() {
        const Hwnd w = PickLiveWindow();
        if (w == 0) {
            return;
        }
        SimWindow& win = sim_.Window(w);
        switch (Pick(4)) {
            case 0:
                win.cloaked = !win.cloaked;
                break;
            case 1:
                win.frameInsets = TRect{7, 0, 7, 7};
                break;
            case 2:
                win.frameInsets = TRect{PickInt(1), PickInt(0), PickInt(8), PickInt(8)};
                break;
            default:
                win.frameInsets.reset();
                break;
        }
        Trace("window %#x cloaked %d insets %s", w, win.cloaked, win.frameInsets ? "set" : "none");
    }

    void ResizeDesktop() {
        if (onScreen_) {
            return;
        }
        if (in_.ConsumeBool()) {
            SetMonitors(PickLayout());
            return;
        }
        TRect s{0, 0, 1920, 1080};
        switch (Pick(6)) {
            case 0:
                break;
            case 1:
                s = {-1920, 0, 1920, 1080};
                break;
            case 2:
                s = {0, 0, 1024, 768};
                break;
            case 3:
                s = {0, 0, 0, 0};
                break;
            case 4:
                s = {kMin, kMin, kMax, kMax};
                break;
            default:
                s = PickRect();
                break;
        }
        sim_.SetScreen(s);
        SetDesktopWindows(s);
    }

    // Several monitors, the primary one at the origin as Windows has it: side by side or
    // stacked with an offset, three in an L, one at negative coordinates, or any two to
    // four, overlapping or apart.
    MonitorList PickLayout() {
        auto size = [&] {
            static constexpr TPoint kSizes[] = {
                {1024, 768}, {1280, 1024}, {1920, 1080}, {2560, 1440}, {1080, 1920}};
            return kSizes[Pick(5)];
        };
        auto at = [](std::int32_t x, std::int32_t y, TPoint s) {
            return TRect{x, y, x + s.X, y + s.Y};
        };
        const TRect p = at(0, 0, size());
        const std::int32_t offset = in_.ConsumeIntegralInRange(-600, 600);
        switch (Pick(5)) {
            case 0:
                return {p, at(p.Right, offset, size())};
            case 1:
                return {p, at(offset, p.Bottom, size())};
            case 2:
                return {p, at(p.Right, 0, size()), at(0, p.Bottom, size())};
            case 3: {
                const TPoint s = size();
                return {at(-s.X, offset, s), p};
            }
            default: {
                MonitorList monitors{p};
                for (std::uint8_t n = Pick(3) + 1; n > 0; --n) {
                    monitors.Add(at(in_.ConsumeIntegralInRange(-3000, 4000),
                                    in_.ConsumeIntegralInRange(-2000, 3000), size()));
                }
                return monitors;
            }
        }
    }

    void SetMonitors(const MonitorList& monitors) {
        sim_.SetMonitors(monitors);
        SetDesktopWindows(BoundingBox(monitors));
        for (const TRect& m : monitors.All()) {
            Trace("monitor %d,%d,%d,%d", m.Left, m.Top, m.Right, m.Bottom);
        }
    }

    void SetDesktopWindows(const TRect& s) {
        // The shell's desktop window, when there is one, is the one the engine reads.
        if (engine_.DesktopWnd != desktop_ && sim_.Exists(engine_.DesktopWnd)) {
            sim_.Window(engine_.DesktopWnd).rect = s;
        }
        // Windows says so when the display changes; a shell that resizes its desktop window
        // need not.
        const bool announced = Pick(2) == 0;
        if (announced) {
            engine_.DesktopChanged();
        }
        Trace("desktop %d,%d,%d,%d%s", s.Left, s.Top, s.Right, s.Bottom,
              announced ? ", announced" : "");
    }

    void PokeSetting() {
        EngineWide& wide = engine_.Wide;
        switch (Pick(11)) {
            case 0:
                wide.MoveStep = PickInt(150);
                if (onScreen_ && wide.MoveStep < 1) {
                    wide.MoveStep = 1;
                }
                break;
            case 1:
                wide.EdgeWidth = PickInt(1);
                break;
            case 2:
                wide.OutMargin = PickInt(15);
                break;
            case 3:
                engine_.OnTime = PickInt(10);
                break;
            case 4:
                engine_.OffTime = PickInt(10);
                break;
            case 5:
                engine_.DisableKey = PickInt(kVkControl);
                break;
            case 6:
                sim_.cxFrame = onScreen_ ? in_.ConsumeIntegralInRange(0, 20) : PickInt(4);
                break;
            case 7:
                sim_.foregroundRefusals = in_.ConsumeIntegralInRange(-1, 3);
                break;
            case 8: {
                const std::string path = SettingsFilePath(sim_.exePath, sim_.userName.value_or(""));
                if (!sim_.unwritable.erase(path)) {
                    sim_.unwritable.insert(path);
                }
                break;
            }
            default: {
                bool* const flags[] = {&engine_.ActWin,           &engine_.HiAct,
                                       &engine_.OutWin,           &engine_.AutoRestore,
                                       &engine_.MouseDownDisable, &engine_.SwitchOnTime,
                                       &engine_.OutCheck,         &engine_.AutoActivate,
                                       &engine_.ChangePopyonStyle};
                bool* flag = flags[Pick(9)];
                *flag = !*flag;
                break;
            }
        }
        Trace("poke: mv %d mgn %d mgn2 %d on %d off %d key %d frame %d", wide.MoveStep,
              wide.EdgeWidth, wide.OutMargin, engine_.OnTime, engine_.OffTime, engine_.DisableKey,
              sim_.cxFrame);
    }

    // --- messages -------------------------------------------------------------------

    void ArmReentry() {
        if (pending_.size() >= kMaxPending) {
            return;
        }
        const int countdown = in_.ConsumeIntegralInRange(0, 40);
        Message m = in_.ConsumeIntegralInRange(0, 15) == 0 ? Message{kNestedTick} : PickMessage();
        pending_.push_back({countdown, m});
        Trace("armed %#x(%#x, %#x) after %d window calls", m.msg, m.wParam, m.lParam, countdown);
    }

    // Other programs' messages are handled while the engine waits in a call that sends
    // messages to another thread's window: moving, showing or activating a window that
    // exists. Several may be handled in one such wait.
    void OnWindowCall(const Call& call) {
        CheckCloakedLeftAlone(engine_, sim_, call);
        // Only Timer2's own moves, not those of messages handled while it waits.
        if (inFrame_ && depth_ == 0) {
            CheckFramesOnlySlide(engine_, call);
        }
        if (!hookOn_ || depth_ >= kMaxDepth || pending_.empty()) {
            return;
        }
        if ((call.kind != CallKind::SetWindowPos && call.kind != CallKind::ShowWindow &&
             call.kind != CallKind::SetForegroundWindow) ||
            call.wnd == 0 || !sim_.Exists(call.wnd)) {
            return;
        }
        if (pending_.front().first-- > 0) {
            return;
        }
        ++depth_;
        Trace("%*sinside a window call (kind %d, wnd %#x):", depth_ * 2 - 2, "",
              static_cast<int>(call.kind), call.wnd);
        while (!pending_.empty() && pending_.front().first <= 0) {
            const Message m = pending_.front().second;
            pending_.pop_front();
            ++reentries_;
            if (m.msg == kNestedTick) {
                // Timer messages are posted, so only a tick's own guard can meet one here.
                if (engine_.Busy) {
                    engine_.Timer1Timer();
                    if (!engine_.Busy) {
                        Violation("a tick inside a tick cleared Busy");
                    }
                }
            } else {
                Deliver(m);
            }
            CheckState("inside a window call");
        }
        --depth_;
    }

    // A message from outside any engine call. A detach that closes the engine must leave
    // every window it held back where release puts it.
    void DeliverFromOutside(const Message& m) {
        const bool closes = m.msg == EM_DETACH && engine_.IndexOfFrontEnd(m.wParam) >= 0;
        // What a close leaves for a sleeping program is judged at the final close.
        if (closes) {
            WakeAll();
        }
        const std::vector<HeldWindow> held =
            closes ? HeldWindows(engine_, sim_) : std::vector<HeldWindow>{};
        const int reentriesBefore = reentries_;
        Deliver(m);
        // Messages handled during the close may register or move windows again: then the
        // outcome is theirs to say, and the final close checks what is left.
        if (closes && reentries_ == reentriesBefore) {
            if (engine_.Running()) {
                Violation("a detach of attached front-end %#x left the engine running", m.wParam);
            }
            CheckReleased(sim_, Screen(), held, "detach", onScreen_);
        }
    }

    void Deliver(const Message& m) {
        Trace("%*smessage %#x(%#x, %#x)", depth_ * 2, "", m.msg, m.wParam, m.lParam);
        model_.Follow(m.msg, m.wParam, m.lParam);
        // The window procedure is an event boundary: the framework catches errors there.
        // Only the settings dialog's OK may fail, with a bad number or an unwritable file.
        try {
            engine_.Dispatch(m.msg, m.wParam, m.lParam);
        } catch (const SettingsError& e) {
            const std::string text = e.what();
            const std::string path = SettingsFilePath(sim_.exePath, sim_.userName.value_or(""));
            const std::string tail = "' is not a valid integer value";
            const bool numberError =
                text.size() > tail.size() + 1 && text[0] == '\'' &&
                text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
            if (m.msg != EM_SETTINGS ||
                !(numberError || text == CreateError(path, engine_.CurrentLanguage()))) {
                Violation("message %#x failed with \"%s\"", m.msg, text.c_str());
            }
            Trace("%*s  error box: %s", depth_ * 2, "", text.c_str());
        }
    }

    // Anything the user does in the settings dialog: OK, Cancel, closing it, numbers typed
    // into its boxes (left through their exit handlers, or not), boxes ticked, and control
    // messages from front-ends while it is open.
    void AnswerDialog(TForm2& dialog) {
        Trace("%*sdialog open", depth_ * 2, "");
        TControl* const boxes[] = {&dialog.Edit1, &dialog.Edit2, &dialog.Edit3, &dialog.Edit5,
                                   &dialog.Edit6};
        TControl* const checks[] = {&dialog.CheckBox1, &dialog.CheckBox2, &dialog.CheckBox3,
                                    &dialog.CheckBox4, &dialog.CheckBox5, &dialog.CheckBox6,
                                    &dialog.CheckBox7, &dialog.CheckBox8, &dialog.CheckBox9};
        for (std::uint8_t n = Pick(4); n > 0; --n) {
            switch (Pick(4)) {
                case 0: {
                    const std::uint8_t b = Pick(5);
                    dialog.SetText(*boxes[b],
                                   std::to_string(PickInt(in_.ConsumeIntegral<std::uint8_t>())));
                    if (in_.ConsumeBool()) {
                        void (TForm2::*const exits[])() = {&TForm2::Edit1Exit, &TForm2::Edit2Exit,
                                                           &TForm2::Edit3Exit, &TForm2::Edit5Exit,
                                                           &TForm2::Edit6Exit};
                        (dialog.*exits[b])();
                    }
                    break;
                }
                case 1: {
                    std::uint16_t key = in_.ConsumeIntegral<std::uint8_t>();
                    dialog.Edit4KeyDown(key, 0);
                    break;
                }
                case 2: {
                    TControl& box = *checks[Pick(9)];
                    box.Checked = !box.Checked;
                    dialog.CheckBox3Click();
                    break;
                }
                default:
                    if (depth_ < kMaxDepth) {
                        ++depth_;
                        Deliver(PickMessage());
                        --depth_;
                    }
                    break;
            }
        }
        switch (Pick(3)) {
            case 0:
                Trace("%*sdialog OK", depth_ * 2, "");
                dialog.cmdOKClick();
                break;
            case 1:
                Trace("%*sdialog Cancel", depth_ * 2, "");
                dialog.cmdCancelClick();
                break;
            default:
                Trace("%*sdialog closed", depth_ * 2, "");
                dialog.Close();
                break;
        }
    }

    // --- checks ---------------------------------------------------------------------

    void CheckState(const char* where) {
        CheckStructure(engine_, where);
        model_.Check(engine_, where);
    }

    void AfterEvent() {
        CheckState("between events");
        CheckBetweenEvents(engine_, sim_);
        if (sim_.blockedCalls != 0) {
            Violation("a call waited for a program that takes no messages");
        }
    }

    void WakeAll() {
        HookOff off(hookOn_);
        for (const Hwnd w : windows_) {
            if (sim_.Exists(w) && sim_.Window(w).hung) {
                sim_.Wake(w);
            }
        }
    }

    // The close the user or the system ends the engine with; no front-end is heard from
    // meanwhile, so the outcome is release's alone.
    void Finish() {
        hookOn_ = false;
        // Programs asleep at the close take its moves home when they wake. Only a minimized
        // window is woken first: whether its restore maximizes it, which its release reads,
        // only its program can tell.
        std::vector<Hwnd> sleepers;
        for (const Hwnd w : windows_) {
            if (sim_.Exists(w) && sim_.Window(w).hung) {
                sleepers.push_back(w);
            }
        }
        WakeAll();
        if (quietEnd_) {
            Trace("quiet: hide every window");
            // Back on the desktop of every window: none waits for it any more.
            for (const Hwnd w : windows_) {
                if (sim_.Exists(w)) {
                    sim_.Window(w).cloaked = false;
                }
            }
            CheckSlidesEnd(engine_, sim_, Screen());
        }
        for (const Hwnd w : sleepers) {
            if ((sim_.Window(w).style & kWsMinimize) == 0) {
                sim_.Hang(w);
            }
        }
        const std::vector<HeldWindow> held = HeldWindows(engine_, sim_);
        Trace("close with %zu windows held, %zu asleep", held.size(), sleepers.size());
        engine_.Close();
        if (sim_.blockedCalls != 0) {
            Violation("the close waited for a program that takes no messages");
        }
        WakeAll();
        CheckReleased(sim_, Screen(), held, "close", onScreen_);
        if (engine_.Running() || sim_.timerEnabled) {
            Violation("the engine runs on after its close");
        }
    }

    void TraceSlots(const char* what) const {
        if (!trace_) {
            return;
        }
        std::string line = what;
        for (const auto& slot : engine_.RegWins) {
            const TRect& r = slot->Rect;
            line += " [" + std::to_string(slot->Wnd) + " e" + std::to_string(slot->Edge) + " s" +
                    std::to_string(slot->Status) + " " + std::to_string(r.Left) + "," +
                    std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
                    std::to_string(r.Bottom) + "]";
        }
        Trace("%s", line.c_str());
    }

    void Trace(const char* format, ...) const {
        if (!trace_) {
            return;
        }
        std::va_list args;
        va_start(args, format);
        std::vfprintf(stderr, format, args);
        std::fputc('\n', stderr);
        va_end(args);
    }

    // Turns the window-call hook off while the harness itself calls the simulated desktop.
    class HookOff {
      public:
        explicit HookOff(bool& on) : on_(on), was_(on) { on_ = false; }
        ~HookOff() { on_ = was_; }
        HookOff(const HookOff&) = delete;
        HookOff& operator=(const HookOff&) = delete;

      private:
        bool& on_;
        bool was_;
    };

    FuzzedDataProvider in_;
    bool trace_;
    bool onScreen_;
    bool quietEnd_ = false;
    SimDesktop sim_;
    TformPopyonnEngine engine_{sim_};
    Hwnd desktop_ = 0;
    std::vector<Hwnd> windows_;
    std::vector<Hwnd> frontEnds_;
    std::vector<Hwnd> gone_;
    FrontEndModel model_;
    std::deque<std::pair<int, Message>> pending_;
    bool hookOn_ = true;
    bool inFrame_ = false;
    int depth_ = 0;
    int reentries_ = 0;
};

}  // namespace
}  // namespace popyo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    popyo::fuzz::Rig rig(data, size);
    rig.Run();
    return 0;
}
