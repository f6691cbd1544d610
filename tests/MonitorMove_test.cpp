// EM_SETMONITOR: a held window given another monitor waits beyond that monitor's side and
// comes out there; a window that is out keeps its place; nothing else changes.
#include <gtest/gtest.h>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

// A beside B, B larger and reaching lower.
const TRect kA{0, 0, 1920, 1080};
const TRect kB{1920, 0, 4480, 1440};

struct MoveCase {
    const char* name;
    Edge edge;
    TRect home;     // on the monitor it was registered on
    TPoint target;  // a point of the monitor it is given
    TRect hidden;   // where it waits once moved
    TRect out;      // where it comes out
};

const MoveCase kMoves[] = {
    {"top, A to B",
     edTop,
     {300, 200, 900, 600},
     {3000, 700},
     {1920, -400, 2520, 0},
     {1920, 0, 2520, 400}},
    {"bottom, A to B: B's bottom is the desktop's",
     edBottom,
     {300, 500, 900, 900},
     {3000, 700},
     {1920, 1440, 2520, 1840},
     {1920, 1040, 2520, 1440}},
    // Below A lies nothing: the window waits beyond A's own bottom, above the desktop's.
    {"bottom, B to A: A's own side",
     edBottom,
     {2500, 800, 3100, 1200},
     {500, 500},
     {1320, 1080, 1920, 1480},
     {1320, 680, 1920, 1080}},
    // Beyond B's left side lies A: the window waits beyond the desktop's left side, in
    // line with B, where the slide itself sends it.
    {"left, A to B: A lies beyond B's left",
     edLeft,
     {300, 1000, 600, 1300},
     {3000, 1300},
     {-300, 1000, 0, 1300},
     {0, 1000, 300, 1300}},
    {"right, B to A",
     edRight,
     {4000, 1200, 4300, 1400},
     {500, 500},
     {4480, 880, 4780, 1080},
     {4180, 880, 4480, 1080}},
};

class MonitorMove : public ::testing::Test, public EngineRig {
  protected:
    void SetUp() override {
        sim.SetMonitors({kA, kB});
        engine.ActWin = true;
        engine.OffTime = 0;
        Tick();
    }

    bool TickUntil(Hwnd wnd, Status status) {
        for (int i = 0; i < 100 && Slot(wnd).Status != status; ++i) {
            Tick();
        }
        return Slot(wnd).Status == status;
    }

    std::int32_t Send(std::uint32_t msg, Hwnd wnd, std::uint32_t lParam) {
        return engine.Dispatch(msg, wnd, lParam).value_or(-99);
    }
};

TEST_F(MonitorMove, ATuckedWindowWaitsBeyondItsNewMonitorAndComesOutThere) {
    for (const MoveCase& c : kMoves) {
        SCOPED_TRACE(c.name);
        const Hwnd wnd = AddRegistered(c.home, c.edge);
        ASSERT_TRUE(TickUntil(wnd, rsHidden));
        EXPECT_EQ(Send(EM_SETMONITOR, wnd, PointParam(c.target.X, c.target.Y)), 1);
        EXPECT_EQ(sim.RectOf(wnd), c.hidden);
        Tick();
        EXPECT_EQ(Slot(wnd).Status, rsHidden) << "moved into view";
        // Registered in the background, it counted as active until now (as AddHidden has it).
        Slot(wnd).WasActive = false;
        // The cursor waits where it comes out, so that it stays out.
        sim.cursor = {c.out.Left + 10, c.out.Top + 10};
        sim.foreground = wnd;
        ASSERT_TRUE(TickUntil(wnd, rsShown));
        EXPECT_EQ(sim.RectOf(wnd), c.out);
        sim.cursor = kNowhere;
        // It hides on its new monitor too.
        sim.foreground = other;
        ASSERT_TRUE(TickUntil(wnd, rsHidden));
        EXPECT_EQ(sim.RectOf(wnd), c.hidden);
        engine.UnregisterWindow(wnd);
    }
}

TEST_F(MonitorMove, AWindowThatIsOutStaysWhereItIs) {
    const Hwnd wnd = AddRegistered({300, 200, 900, 600}, edTop);
    sim.cursor = {400, 300};
    Slot(wnd).WasActive = false;
    sim.foreground = wnd;
    ASSERT_TRUE(TickUntil(wnd, rsShown));
    sim.ClearCalls();
    EXPECT_EQ(Send(EM_SETMONITOR, wnd, PointParam(3000, 700)), 1);
    EXPECT_EQ(Slot(wnd).Monitor, kB);
    EXPECT_EQ(sim.RectOf(wnd), (TRect{300, 200, 900, 600}));
    for (const Call& call : sim.calls) {
        EXPECT_NE(call.kind, CallKind::SetWindowPos);
    }
}

// A window just taken and sent away goes beyond its own monitor's side in one move.
TEST_F(MonitorMove, AWindowOnItsWayInIsThereAtOnceOnItsOwnMonitor) {
    const Hwnd wnd = AddRegistered({300, 200, 900, 600}, edTop);
    ASSERT_EQ(Send(EM_HIDE, wnd, 0), 0);
    EXPECT_EQ(Send(EM_SETMONITOR, wnd, PointParam(600, 400)), 1);
    EXPECT_EQ(sim.RectOf(wnd), (TRect{300, -400, 900, 0}));
    Tick();
    EXPECT_EQ(Slot(wnd).Status, rsHidden);
    // Already beyond, it stays: no call at all.
    sim.ClearCalls();
    EXPECT_EQ(Send(EM_SETMONITOR, wnd, PointParam(600, 400)), 1);
    for (const Call& call : sim.calls) {
        EXPECT_NE(call.kind, CallKind::SetWindowPos);
    }
}

TEST_F(MonitorMove, AnswersAndPointsOfEveryQuarter) {
    const Hwnd wnd = AddRegistered({300, 200, 900, 600}, edTop);
    const Hwnd stranger = sim.AddWindow({100, 100, 200, 200}, "Stranger", "", 9);
    EXPECT_EQ(Send(EM_SETMONITOR, stranger, PointParam(3000, 700)), 0);
    EXPECT_EQ(Send(EM_SETMONITOR, 0, PointParam(3000, 700)), 0);
    // Signed words: a point left of and above the box belongs to the nearest monitor.
    EXPECT_EQ(Send(EM_SETMONITOR, wnd, PointParam(-5, -5)), 1);
    EXPECT_EQ(Slot(wnd).Monitor, kA);
    EXPECT_EQ(Send(EM_SETMONITOR, wnd, PointParam(4479, 1439)), 1);
    EXPECT_EQ(Slot(wnd).Monitor, kB);
}

}  // namespace
}  // namespace popyo::test
