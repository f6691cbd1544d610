// Faults the fuzz targets (fuzz/) found, each replayed step by step on the simulated desktop.
#include <gtest/gtest.h>

#include <limits>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

using FuzzRegressionTest = EngineTest;

// A settings file may hold a step as long as the coordinate range. Such a step saturates
// the side of a window that already hangs over the screen edge but not its other side, so
// the size worked out after the step came out short: a hiding window stopped a strip short
// of the edge, swung back to where it started on the next tick, and never hid; a window
// sliding out stopped that strip past the edge. The size is now taken before the step.
TEST_F(FuzzRegressionTest, LongestStepEndsExactlyAtTheEdge) {
    struct Case {
        const char* name;
        Edge edge;
        bool hide;  // else it slides out
        TRect start;
        TRect end;
    };
    constexpr Case kCases[] = {
        {"hiding left", edLeft, true, {-10, 100, 390, 400}, {-400, 100, 0, 400}},
        {"hiding top", edTop, true, {100, -50, 500, 250}, {100, -300, 500, 0}},
        {"showing right, wider than the desktop",
         edRight,
         false,
         {-10, 0, 2000, 500},
         {-90, 0, 1920, 500}},
    };
    engine.Wide.MoveStep = std::numeric_limits<std::int32_t>::max();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const Hwnd w = AddRegistered(c.start, c.edge);
        if (c.hide) {
            engine.EMHide(w, 0);
            Tick(2);  // one step to the edge, and one that finds it there
            EXPECT_EQ(Slot(w).Status, rsHidden);
        } else {
            engine.BeginShowing(engine.IndexOfWindow(w));
            Tick();
            EXPECT_EQ(Slot(w).Status, rsShown);
        }
        EXPECT_EQ(sim.RectOf(w), c.end);
    }
}

// Registering a hidden window again first puts it home, and the engine waits inside the
// window calls of that release. Two other front-ends' messages handled meanwhile, a release
// of the window and a new registration of it, gave it a second slot, and the first
// registration then filled the old one too: two slots drove the same window.
TEST_F(FuzzRegressionTest, RegistrationsDuringAReleaseLeaveOneSlot) {
    const Hwnd w = AddRegistered({100, 100, 500, 400}, edLeft);
    sim.MoveTo(w, -400, 100);
    Slot(w).Status = rsHidden;
    bool delivered = false;
    sim.onCall = [&](const Call& call) {
        if (delivered || call.kind != CallKind::SetWindowPos || call.wnd != w) {
            return;
        }
        delivered = true;
        engine.EMRegister(w, edNone);
        engine.EMRegister(w, edBottom);
    };
    engine.EMRegister(w, edTop);
    sim.onCall = nullptr;

    ASSERT_TRUE(delivered);
    int holders = 0;
    for (const auto& slot : engine.RegWins) {
        holders += slot->Wnd == w ? 1 : 0;
    }
    EXPECT_EQ(holders, 1);
    EXPECT_EQ(engine.GetWindowEdge(w), edTop);
    EXPECT_EQ(engine.GetWindowStatus(w), rsShown);
    EXPECT_EQ(sim.LeftOf(w), 100);
}

}  // namespace
}  // namespace popyo::test

namespace popyo::test {
namespace {

// A window the user maximizes while it slides away restores to where the slide has taken
// it. That rectangle, partly or wholly beyond the edge, used to become the window's home,
// and closing the engine then put the window back there, out of sight. A home is now only
// taken from a rectangle on the desktop.
TEST_F(FuzzRegressionTest, WindowMaximizedInMidSlideGoesBackToItsRealHome) {
    const TRect home{150, 140, 550, 440};
    const Hwnd w = AddRegistered(home, edTop);
    engine.EMHide(w, 0);
    Tick(3);
    ASSERT_LT(sim.TopOf(w), 0);
    sim.Maximize(w);
    Tick(4);
    ASSERT_EQ(Slot(w).Status, rsHidden);
    engine.Close();
    EXPECT_EQ(sim.RectOf(w), home);
}

// A step of 0 or below from a hand-edited file: windows still reach their edge, and come
// back out, one pixel per tick at least, instead of standing still or walking away.
TEST_F(FuzzRegressionTest, StepBelowOnePixelStillReachesTheEdge) {
    for (const std::int32_t step : {0, -150}) {
        SCOPED_TRACE(step);
        engine.Wide.MoveStep = step;
        const Hwnd w = AddRegistered({0, 100, 4, 300}, edLeft);
        engine.EMHide(w, 0);
        Tick(6);
        EXPECT_EQ(Slot(w).Status, rsHidden);
        EXPECT_EQ(sim.RectOf(w).Right, 0);
        engine.BeginShowing(engine.IndexOfWindow(w));
        Tick(6);
        EXPECT_EQ(Slot(w).Status, rsShown);
        EXPECT_EQ(sim.LeftOf(w), 0);
    }
}

// A window the user maximized and then minimized while registered comes back maximized when
// it is restored. Release moved it to its home all the same, so it hung over the screen's
// right and bottom; it now stays maximized where the window manager puts it.
TEST_F(FuzzRegressionTest, MinimizedMaximizedWindowComesBackMaximizedInPlace) {
    const Hwnd w = AddRegistered({100, 100, 500, 400}, edLeft);
    sim.Maximize(w);
    sim.Minimize(w);
    Tick();
    ASSERT_EQ(Slot(w).Status, rsMinimized);
    engine.Close();
    EXPECT_EQ(sim.RectOf(w), (TRect{-4, -4, 1924, 1084}));
    EXPECT_NE(sim.Window(w).style & kWsMaximize, 0u);
}

// A detach releases its front-end's windows first, and waits inside those window calls.
// The same detach sent again meanwhile removed the entry, and the first one then erased an
// entry past the end of the list.
TEST_F(FuzzRegressionTest, DetachRepeatedDuringItsOwnReleaseRemovesOneEntry) {
    const Hwnd frontEnd = sim.AddWindow({0, 0, 10, 10}, "FrontEnd");
    const Hwnd w = AddRegistered({100, 100, 500, 400}, edLeft);
    engine.AttachFrontEnd(frontEnd, 1);
    engine.Dispatch(EM_SETOWNER, w, frontEnd);
    bool delivered = false;
    sim.onCall = [&](const Call& call) {
        if (call.kind == CallKind::SetWindowPos && !delivered) {
            delivered = true;
            engine.Dispatch(EM_DETACH, frontEnd, 0);
        }
    };
    engine.Dispatch(EM_DETACH, frontEnd, 0);
    EXPECT_TRUE(delivered);
    EXPECT_TRUE(engine.FrontEnds.empty());
    EXPECT_EQ(engine.MainFrontEnd, -1);
    EXPECT_TRUE(sim.terminated);
}

// A window registered at the very end of the coordinate range, too small there to have a
// size, and given one later: its home plus that size could not be held, the sum saturated,
// and the window was judged and placed as if it had no height, just below the monitor. It
// now comes back onto a monitor with its whole size, on one monitor as on several.
TEST(FuzzRegression, HomeAtTheEndOfTheRangeComesBackWithItsWholeSize) {
    constexpr std::int32_t kEnd = std::numeric_limits<std::int32_t>::max();
    const MonitorList layouts[] = {
        {{0, 0, 2560, 1440}},
        {{-2560, -47, 0, 1393}, {0, 0, 2560, 1440}},
    };
    for (const MonitorList& monitors : layouts) {
        SCOPED_TRACE(monitors.Count());
        EngineRig rig;
        rig.sim.SetMonitors(monitors);
        const Hwnd w = rig.sim.AddWindow({0, kEnd, 400, kEnd});
        rig.engine.RegisterWindow(w, edTop);
        rig.sim.Window(w).rect = {0, kEnd - 3300, 1270, kEnd - 3221};
        rig.engine.Close();
        const TRect& r = rig.sim.RectOf(w);
        EXPECT_EQ(Height(r), 79);
        EXPECT_TRUE(OnAnyMonitor(monitors, r))
            << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
    }
}

}  // namespace
}  // namespace popyo::test
