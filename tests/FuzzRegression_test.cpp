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
