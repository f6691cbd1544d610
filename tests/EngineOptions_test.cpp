// The engine's options for today's desktops: their messages, cloaked windows left where they
// are, no pops over a full-screen program, the visible frame on the edge; and where DWM says
// nothing, every option leaves every move as it was.
#include "engine/EngineOptions.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

constexpr TPoint kAtLeft{0, 250};
constexpr TRect kScreen{0, 0, 1920, 1080};

class EngineOptionsTest : public EngineTest {
  protected:
    std::int32_t Send(std::uint32_t msg, std::uint32_t wParam = 0, std::uint32_t lParam = 0) {
        return engine.Dispatch(msg, wParam, lParam).value();
    }
    void SetOption(EngineOption id, std::int32_t value) {
        ASSERT_NE(Send(EM_SETOPTION, id, static_cast<std::uint32_t>(value)), -1);
    }
    // Holds the cursor at the left edge until a pop has come, then takes it away.
    void PushLeft() {
        sim.cursor = kAtLeft;
        Tick(engine.OnTime + 1);
        sim.cursor = kNowhere;
    }
    void WaitForSlides(int ticks = 10) { Tick(ticks); }
};

TEST_F(EngineOptionsTest, MessagesAnswerThePreviousValueOrMinusOne) {
    struct Step {
        const char* name;
        std::uint32_t msg;
        std::uint32_t id;
        std::int32_t value;
        std::int32_t answer;
    };
    const Step kSteps[] = {
        {"bare skip_cloaked", EM_GETOPTION, opSkipCloaked, 0, 1},
        {"bare quiet_over_fullscreen", EM_GETOPTION, opQuietOverFullscreen, 0, 0},
        {"bare align_visible_frame", EM_GETOPTION, opAlignVisibleFrame, 0, 0},
        {"get of id 0", EM_GETOPTION, 0, 0, -1},
        {"get of an unknown id", EM_GETOPTION, 99, 0, -1},
        {"set answers the previous value", EM_SETOPTION, opQuietOverFullscreen, 1, 0},
        {"set to the same value", EM_SETOPTION, opQuietOverFullscreen, 1, 1},
        {"value above the range", EM_SETOPTION, opQuietOverFullscreen, 2, -1},
        {"value below the range", EM_SETOPTION, opQuietOverFullscreen, -1, -1},
        {"a refused set changes nothing", EM_GETOPTION, opQuietOverFullscreen, 0, 1},
        {"set of an unknown id", EM_SETOPTION, 99, 1, -1},
        {"set off", EM_SETOPTION, opSkipCloaked, 0, 1},
        {"read back", EM_GETOPTION, opSkipCloaked, 0, 0},
    };
    for (const Step& s : kSteps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(Send(s.msg, s.id, static_cast<std::uint32_t>(s.value)), s.answer);
    }

    // Options are not settings: the dialog's OK keeps them and writes none of them.
    settingsDialogScript = [](TForm2& dialog) { dialog.cmdOKClick(); };
    Send(EM_SETTINGS);
    EXPECT_EQ(Send(EM_GETOPTION, opQuietOverFullscreen), 1);
    EXPECT_EQ(Send(EM_GETOPTION, opSkipCloaked), 0);
    const std::string& file = sim.files.begin()->second;
    EXPECT_EQ(file.find("quiet"), std::string::npos);
    EXPECT_EQ(file.find("cloak"), std::string::npos);
}

// Two windows tucked away at the left edge, A first; a push or a request pops one of them.
TEST(CloakedWindows, ArePassedOverByPushesAndRequests) {
    enum Shown { kA, kB, kNone };
    struct Case {
        const char* name;
        bool skipCloaked;
        bool request;
        bool aCloaked;
        bool bCloaked;
        Shown shown;
    };
    constexpr Case kCases[] = {
        {"nothing cloaked", true, false, false, false, kA},
        {"the next window of the edge instead", true, false, true, false, kB},
        {"every window of the edge cloaked", true, false, true, true, kNone},
        {"option off: pops the cloaked window", false, false, true, false, kA},
        {"a request passes over it too", true, true, true, false, kB},
        {"a request with every window cloaked", true, true, true, true, kNone},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.Wide.Options.Set(opSkipCloaked, c.skipCloaked ? 1 : 0);
        const Hwnd a = rig.AddHidden({-400, 100, 0, 400}, edLeft);
        const Hwnd b = rig.AddHidden({-400, 500, 0, 800}, edLeft);
        rig.sim.Window(a).cloaked = c.aCloaked;
        rig.sim.Window(b).cloaked = c.bCloaked;
        if (c.request) {
            rig.engine.Dispatch(EM_POP, 0, edLeft);
            rig.Tick();
        } else {
            rig.sim.cursor = kAtLeft;
            rig.Tick(rig.engine.OnTime + 1);
        }
        rig.sim.cursor = kNowhere;
        rig.Tick(5);
        EXPECT_EQ(rig.sim.LeftOf(a), c.shown == kA ? 0 : -400);
        EXPECT_EQ(rig.sim.LeftOf(b), c.shown == kB ? 0 : -400);
        EXPECT_EQ(rig.sim.foreground, c.shown == kA ? a : (c.shown == kB ? b : rig.other));
    }
}

// The user switched desktops while the window slid: it stays where it is, gets no
// foreground, and goes on once it shows again. A release still puts it home.
TEST_F(EngineOptionsTest, CloakedWhileOutStaysUntilItShowsAgain) {
    const Hwnd w = AddHidden({-400, 100, 0, 400}, edLeft);
    PushLeft();
    ASSERT_EQ(Slot(w).Status, rsShowing);
    const std::int32_t stoppedAt = sim.LeftOf(w);
    sim.Window(w).cloaked = true;
    sim.ClearCalls();
    Tick(10);
    EXPECT_EQ(sim.LeftOf(w), stoppedAt);
    EXPECT_EQ(Slot(w).Status, rsShowing);
    EXPECT_EQ(sim.Count(CallKind::SetWindowPos), 0u);
    EXPECT_EQ(sim.Count(CallKind::SetForegroundWindow), 0u);
    // Once a tick, for the one window about to slide.
    EXPECT_EQ(sim.Count(CallKind::DwmGetWindowAttribute), 10u);

    sim.Window(w).cloaked = false;
    WaitForSlides();
    EXPECT_EQ(Slot(w).Status, rsShown);
    EXPECT_EQ(sim.LeftOf(w), 0);
    EXPECT_EQ(sim.foreground, w);

    // Hiding waits the same way.
    Send(EM_HIDE, w);
    sim.Window(w).cloaked = true;
    Tick(5);
    EXPECT_EQ(sim.LeftOf(w), 0);
    EXPECT_EQ(Slot(w).Status, rsHiding);

    // Registered where it was tucked away, its home is the nearest place on the desktop.
    Send(EM_REGISTER, w, 0);
    EXPECT_EQ(sim.RectOf(w), (TRect{0, 100, 400, 400}));
}

// The window that had the foreground went to another desktop meanwhile: it is not forced
// back to the front, which would take the user there.
TEST_F(EngineOptionsTest, ForegroundIsNotHandedBackToACloakedWindow) {
    const Hwnd w = AddHidden({-400, 100, 0, 400}, edLeft);
    PushLeft();
    WaitForSlides();
    ASSERT_EQ(engine.RestoreWnd, other);
    sim.Window(other).cloaked = true;
    Send(EM_HIDE, w);
    sim.ClearCalls();
    WaitForSlides();
    ASSERT_EQ(Slot(w).Status, rsHidden);
    EXPECT_EQ(sim.Count(CallKind::SetForegroundWindow), 0u);
    EXPECT_EQ(engine.RestoreWnd, 0u);
}

// W tucked away at the left side of monitor A; the foreground window F stands at `front`.
TEST(QuietOverFullScreen, APushOnACoveredMonitorPopsNothing) {
    constexpr std::uint32_t kPopupStyle = kWsPopup | kWsVisible;
    constexpr TRect kA{0, 0, 1920, 1080};
    constexpr TRect kB{1920, 0, 4480, 1440};
    enum Front { kPlain, kMaximized, kRegistered, kOwn };
    struct Case {
        const char* name;
        bool option;
        TRect front;
        Front kind;
        const char* cls;
        bool twoMonitors;
        bool pops;
    };
    const Case kCases[] = {
        {"option off", false, kA, kPlain, "Game", false, true},
        {"borderless over the screen", true, kA, kPlain, "Game", false, false},
        {"larger than the screen", true, {-8, -8, 1928, 1088}, kPlain, "Game", false, false},
        {"short of the bottom", true, {0, 0, 1920, 1040}, kPlain, "Game", false, true},
        {"maximized with a title bar", true, kA, kMaximized, "Editor", false, true},
        {"the desktop", true, kA, kPlain, "WorkerW", false, true},
        {"the shell", true, kA, kPlain, "Progman", false, true},
        {"a registered window", true, kA, kRegistered, "Game", false, true},
        {"the engine's own window", true, kA, kOwn, "#32770", false, true},
        {"full screen on the monitor pushed", true, kA, kPlain, "Game", true, false},
        {"full screen on the other monitor", true, kB, kPlain, "Game", true, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        if (c.twoMonitors) {
            rig.sim.SetMonitors({kA, kB});
        }
        rig.engine.Wide.Options.Set(opQuietOverFullscreen, c.option ? 1 : 0);
        const Hwnd w = rig.AddHidden({-400, 100, 0, 400}, edLeft);
        const Hwnd front =
            rig.sim.AddWindow(c.front, c.cls, "", c.kind == kOwn ? rig.sim.engineThread : 5);
        rig.sim.Window(front).style = kPopupStyle;
        if (c.kind == kMaximized) {
            rig.sim.Window(front).style = 0x00CF0000 | kWsVisible;
            rig.sim.Maximize(front);
        }
        if (c.kind == kRegistered) {
            rig.engine.RegisterWindow(front, edTop);
            rig.engine.Wide.Options.Set(opSkipCloaked, 1);
        }
        rig.sim.foreground = front;
        rig.Tick();
        rig.sim.cursor = kAtLeft;
        rig.Tick(rig.engine.OnTime + 1);
        EXPECT_EQ(rig.Slot(w).Status == rsShowing, c.pops);
        EXPECT_EQ(rig.engine.DwellCount, -1) << "the push is spent either way";
    }
}

TEST_F(EngineOptionsTest, FullScreenQuietLetsRequestsThroughAndEndsWithTheProgram) {
    SetOption(opQuietOverFullscreen, 1);
    const Hwnd w = AddHidden({-400, 100, 0, 400}, edLeft);
    const Hwnd game = sim.AddWindow(kScreen, "Game", "", 5);
    sim.Window(game).style = kWsPopup | kWsVisible;
    sim.foreground = game;
    Tick();

    // No push over the game, and the quiet costs nothing while the cursor is elsewhere.
    sim.ClearCalls();
    Tick(5);
    EXPECT_EQ(sim.Count(CallKind::GetClassNameA), 0u);
    PushLeft();
    EXPECT_EQ(Slot(w).Status, rsHidden);

    // The user asked, through a front-end.
    Send(EM_POP, 0, edLeft);
    WaitForSlides();
    EXPECT_EQ(Slot(w).Status, rsShown);
    Send(EM_HIDE, w);
    sim.foreground = game;
    WaitForSlides();
    ASSERT_EQ(Slot(w).Status, rsHidden);

    sim.Destroy(game);
    sim.foreground = other;
    PushLeft();
    EXPECT_EQ(Slot(w).Status, rsShowing);
}

// A window 400 x 300 whose rectangle holds DWM's invisible borders, 7 pixels on the left,
// right and bottom, hides and comes out with its visible frame against each edge. Steps stay
// MoveStep; the last one is shortened.
TEST(VisibleFrame, MeetsEachEdge) {
    constexpr TRect kWin10Insets{7, 0, 7, 7};
    struct Case {
        const char* name;
        Edge edge;
        bool option;
        std::optional<TRect> insets;
        TPoint home;
        std::vector<TPoint> hide;  // the window's place after each hide step
        TPoint out;
        MonitorList monitors = {kScreen};
    };
    // B lies below and right of A: nothing lies beyond A's right side, inside the box.
    const MonitorList diagonal = {kScreen, {1920, 1080, 4480, 2520}};
    const Case kCases[] = {
        {"left",
         edLeft,
         true,
         kWin10Insets,
         {100, 100},
         {{-50, 100}, {-200, 100}, {-350, 100}, {-393, 100}},
         {-7, 100}},
        {"left, option off",
         edLeft,
         false,
         kWin10Insets,
         {100, 100},
         {{-50, 100}, {-200, 100}, {-350, 100}, {-400, 100}},
         {0, 100}},
        {"left, DWM answers nothing",
         edLeft,
         true,
         std::nullopt,
         {100, 100},
         {{-50, 100}, {-200, 100}, {-350, 100}, {-400, 100}},
         {0, 100}},
        {"right",
         edRight,
         true,
         kWin10Insets,
         {1400, 100},
         {{1550, 100}, {1700, 100}, {1850, 100}, {1913, 100}},
         {1527, 100}},
        {"right side of a monitor, inside the box",
         edRight,
         true,
         kWin10Insets,
         {1400, 100},
         {{1550, 100}, {1700, 100}, {1850, 100}, {1913, 100}},
         {1527, 100},
         diagonal},
        {"top",
         edTop,
         true,
         kWin10Insets,
         {100, 100},
         {{100, -50}, {100, -200}, {100, -293}},
         {100, 0}},
        {"bottom",
         edBottom,
         true,
         kWin10Insets,
         {100, 600},
         {{100, 750}, {100, 900}, {100, 1050}, {100, 1080}},
         {100, 787}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.sim.SetMonitors(c.monitors);
        rig.engine.Wide.Options.Set(opAlignVisibleFrame, c.option ? 1 : 0);
        const Hwnd w =
            rig.AddRegistered({c.home.X, c.home.Y, c.home.X + 400, c.home.Y + 300}, c.edge);
        rig.sim.Window(w).frameInsets = c.insets;
        rig.engine.Dispatch(EM_HIDE, w, 0);
        rig.sim.ClearCalls();
        rig.Tick(20);
        ASSERT_EQ(rig.Slot(w).Status, rsHidden);
        std::vector<TPoint> steps;
        for (const Call& call : rig.sim.CallsOf(CallKind::SetWindowPos)) {
            if (steps.empty() || steps.back() != TPoint{call.x, call.y}) {
                steps.push_back({call.x, call.y});
            }
        }
        EXPECT_EQ(steps, c.hide);

        rig.engine.Dispatch(EM_POP, 0, c.edge);
        rig.Tick(20);
        EXPECT_EQ(rig.Slot(w).Status, rsShown);
        EXPECT_EQ(rig.sim.LeftOf(w), c.out.X);
        EXPECT_EQ(rig.sim.TopOf(w), c.out.Y);
    }
}

// One session of pushes, pops, leaves and hides at every edge, with each set of options: on
// a desktop where DWM says nothing and no program fills the screen, every window moves, shows
// and takes the foreground exactly as in a bare engine, tick for tick.
TEST(EngineOptionsOff, ChangeNothingWhereDwmSaysNothing) {
    struct Effect {
        std::vector<Call> calls;
        std::vector<Status> statuses;
        bool operator==(const Effect&) const = default;
    };
    auto run = [](const std::vector<std::pair<EngineOption, std::int32_t>>& options) {
        EngineRig rig;
        for (const auto& [id, value] : options) {
            rig.engine.Wide.Options.Set(id, value);
        }
        const std::vector<std::pair<TRect, Edge>> windows = {
            {{100, 100, 500, 400}, edLeft},
            {{700, 100, 1000, 300}, edTop},
            {{1500, 500, 1800, 800}, edRight},
            {{700, 700, 1000, 900}, edBottom},
        };
        std::vector<Hwnd> wnds;
        for (const auto& [rect, edge] : windows) {
            wnds.push_back(rig.AddRegistered(rect, edge));
        }
        const std::vector<TPoint> path = {kNowhere, {0, 250},    {0, 250},   {1919, 600},
                                          {850, 0}, {850, 1079}, {300, 200}, kNowhere};
        std::vector<Effect> effects;
        for (const TPoint& at : path) {
            rig.sim.cursor = at;
            for (int tick = 0; tick < 15; ++tick) {
                rig.sim.ClearCalls();
                rig.Tick();
                Effect e;
                for (const Call& call : rig.sim.calls) {
                    if (call.kind == CallKind::SetWindowPos || call.kind == CallKind::ShowWindow ||
                        call.kind == CallKind::SetForegroundWindow) {
                        e.calls.push_back(call);
                    }
                }
                for (const Hwnd w : wnds) {
                    e.statuses.push_back(rig.Slot(w).Status);
                }
                effects.push_back(e);
            }
        }
        rig.engine.Dispatch(EM_POP, 0, edRight);
        rig.Tick(10);
        return effects;
    };
    const auto bare = run({});
    EXPECT_EQ(run({{opSkipCloaked, 0}}), bare);
    EXPECT_EQ(run({{opSkipCloaked, 1}, {opQuietOverFullscreen, 1}, {opAlignVisibleFrame, 1}}),
              bare);
}

}  // namespace
}  // namespace popyo::test
