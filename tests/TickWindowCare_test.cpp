// How the tick looks after windows beyond what each single step does: a maximized window
// stays maximized across hides that start again before it is fully out, a window's own menus
// and popups keep it out, and windows follow a desktop that changes size.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

constexpr TRect kHome{100, 100, 500, 400};
constexpr TPoint kInsideHome{200, 250};

// Ticks until the window reaches the status, at most `limit` ticks; answers whether it did.
bool TickUntil(EngineRig& rig, Hwnd wnd, Status status, int limit = 60) {
    for (int i = 0; i < limit && rig.Slot(wnd).Status != status; ++i) {
        rig.Tick();
    }
    return rig.Slot(wnd).Status == status;
}

// A maximized window hides restored and comes out maximized again, also when its hide
// starts over while it slides in, while it is tucked away, or while it slides out.
TEST(MaximizedAcrossHides, ComesOutMaximizedWhereverTheHideStartsAgain) {
    struct Case {
        const char* name;
        std::function<void(EngineRig&, Hwnd)> restart;
    };
    const Case kCases[] = {
        {"no second start",
         [](EngineRig& rig, Hwnd w) { ASSERT_TRUE(TickUntil(rig, w, rsHidden)); }},
        {"foreground lost while sliding in",
         [](EngineRig& rig, Hwnd w) {
             rig.Tick();
             ASSERT_EQ(rig.Slot(w).Status, rsHiding);
             rig.sim.foreground = rig.other;  // the activation pass starts the hide again
             rig.Tick();
             ASSERT_TRUE(TickUntil(rig, w, rsHidden));
         }},
        {"hide message to the hidden window",
         [](EngineRig& rig, Hwnd w) {
             ASSERT_TRUE(TickUntil(rig, w, rsHidden));
             rig.engine.Dispatch(EM_HIDE, w, 0);
             ASSERT_TRUE(TickUntil(rig, w, rsHidden));
         }},
        {"hide message while sliding out",
         [](EngineRig& rig, Hwnd w) {
             ASSERT_TRUE(TickUntil(rig, w, rsHidden));
             rig.engine.Dispatch(EM_POP, 0, edLeft);
             rig.Tick();
             ASSERT_EQ(rig.Slot(w).Status, rsShowing);
             rig.engine.Dispatch(EM_HIDE, w, 0);
             ASSERT_TRUE(TickUntil(rig, w, rsHidden));
         }},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.ActWin = false;
        rig.engine.AutoActivate = false;
        const Hwnd w = rig.AddRegistered(kHome, edLeft);
        rig.sim.Maximize(w);
        rig.sim.foreground = w;
        rig.sim.cursor = kNowhere;
        rig.Tick();
        rig.engine.Dispatch(EM_HIDE, w, 0);
        ASSERT_EQ(rig.sim.Window(w).style & kWsMaximize, 0u) << "hides restored";
        c.restart(rig, w);
        if (::testing::Test::HasFatalFailure()) {
            continue;
        }
        rig.sim.cursor = {20, 250};  // inside the window once it is out, so it stays
        rig.engine.Dispatch(EM_POP, 0, edLeft);
        ASSERT_TRUE(TickUntil(rig, w, rsShown));
        EXPECT_NE(rig.sim.Window(w).style & kWsMaximize, 0u);
        EXPECT_EQ(rig.Slot(w).Style & kWsMaximize, kWsMaximize);
    }
}

// A window that is out keeps its place while the cursor rests on a menu or popup of its own
// that spills past its edge; any other window under the cursor lets it hide as before.
TEST(LeaveTest, OwnMenusAndPopupsCountAsInside) {
    enum Relation {
        kOwned,
        kOwnedTwice,
        kPopupSameThread,
        kMenuSameThread,
        kPopupOtherThread,
        kSameThreadPlain
    };
    struct Case {
        const char* name;
        Relation relation;
        bool staysOut;
    };
    constexpr Case kCases[] = {
        {"owned by it", kOwned, true},
        {"owned by a window it owns", kOwnedTwice, true},
        {"popup of its thread", kPopupSameThread, true},
        {"menu of its thread", kMenuSameThread, true},
        {"popup of another program", kPopupOtherThread, false},
        {"another window of the same program", kSameThreadPlain, false},
    };
    constexpr std::uint32_t kClientThread = 4;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        const Hwnd w = rig.AddRegistered({0, 100, 300, 400}, edLeft);
        rig.sim.cursor = {150, 250};
        rig.Tick();
        // It reaches 200 pixels past the window's right side; the cursor is on that part.
        const TRect spill{280, 150, 500, 300};
        const bool menu = c.relation == kMenuSameThread;
        const Hwnd under = rig.sim.AddWindow(spill, menu ? kMenuClassName : "Popup", "",
                                             c.relation == kPopupOtherThread ? 9 : kClientThread);
        SimWindow& u = rig.sim.Window(under);
        if (c.relation == kPopupSameThread || c.relation == kPopupOtherThread) {
            u.style |= kWsPopup;
        }
        if (c.relation == kOwned) {
            u.owner = w;
        }
        if (c.relation == kOwnedTwice) {
            const Hwnd middle = rig.sim.AddWindow({600, 600, 700, 700}, "Tool", "", 7);
            rig.sim.Window(middle).owner = w;
            u.owner = middle;
        }
        rig.sim.cursor = {400, 200};
        rig.Tick(rig.engine.OffTime + 2);
        EXPECT_EQ(rig.Slot(w).Status == rsShown, c.staysOut) << rig.Slot(w).Status;
        if (c.staysOut) {
            EXPECT_FALSE(rig.Slot(w).MouseWasOut);
            EXPECT_EQ(rig.sim.LeftOf(w), 0);
            // Gone from under the cursor, the window leaves as usual.
            rig.sim.Destroy(under);
            rig.Tick(rig.engine.OffTime + 1);
            EXPECT_EQ(rig.Slot(w).Status, rsHiding);
        }
    }
}

// The popup test runs only while the cursor is outside a window that is out: a window that is
// tucked away, or one with the cursor inside, costs no call beyond its two.
TEST(LeaveTest, LooksUpTheWindowUnderTheCursorOnlyForWindowsThatAreOut) {
    struct Case {
        const char* name;
        Status status;
        TPoint cursor;
        std::uint64_t lookups;
    };
    constexpr Case kCases[] = {
        {"hidden, cursor away", rsHidden, kNowhere, 0},
        {"shown, cursor inside", rsShown, kInsideHome, 0},
        {"shown, cursor away", rsShown, kNowhere, 1},
        {"leaving, cursor away", rsLeaving, kNowhere, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.OutWin = false;
        for (int i = 0; i < 3; ++i) {
            const Hwnd w = rig.AddRegistered(kHome, edLeft);
            rig.Slot(w).Status = c.status;
            rig.Slot(w).MouseWasOut = true;
        }
        rig.sim.cursor = c.cursor;
        rig.Tick();
        rig.sim.ClearCalls();
        rig.Tick();
        // Looked up once for all three windows.
        EXPECT_EQ(rig.sim.Count(CallKind::WindowFromPoint), c.lookups);
        EXPECT_EQ(rig.sim.Count(CallKind::GetAncestor), c.lookups);
    }
}

// After the desktop changes size, a tucked-away window that it now shows slides to the new
// edge; one left farther beyond the edge waits just beyond it.
TEST(DesktopChange, HiddenWindowsThatNowShowHideAgain) {
    struct Case {
        const char* name;
        Edge edge;
        TRect hidden;
        TRect newDesk;
        bool announced;  // the system said the display changed
        std::int32_t endAcross;
    };
    constexpr Case kCases[] = {
        {"wider, right edge", edRight, {1920, 300, 2220, 500}, {0, 0, 2560, 1080}, true, 2560},
        {"wider, unannounced", edRight, {1920, 300, 2220, 500}, {0, 0, 2560, 1080}, false, 2560},
        {"taller, bottom edge", edBottom, {400, 1080, 700, 1280}, {0, 0, 1920, 1440}, true, 1440},
        {"grown left", edLeft, {-300, 300, 0, 500}, {-1920, 0, 1920, 1080}, true, -2220},
        {"grown up", edTop, {400, -200, 700, 0}, {0, -1080, 1920, 1080}, true, -1280},
        // Left beyond the old edge it would slide through nothing at its next pop.
        {"narrower", edRight, {1920, 300, 2220, 500}, {0, 0, 1600, 1080}, true, 1600},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        const Hwnd w = rig.AddHidden(c.hidden, c.edge);
        rig.Tick();
        rig.sim.SetScreen(c.newDesk);
        if (c.announced) {
            rig.engine.DesktopChanged();
        }
        // Without a word from the system the change shows within a second.
        rig.Tick(c.announced ? 1 : 20);
        ASSERT_EQ(rig.engine.Wide.DeskRect, c.newDesk);
        ASSERT_TRUE(TickUntil(rig, w, rsHidden));
        const TRect& r = rig.sim.RectOf(w);
        const bool horizontal = c.edge == edLeft || c.edge == edRight;
        EXPECT_EQ(horizontal ? r.Left : r.Top, c.endAcross);
        EXPECT_FALSE(Intersects(r, c.newDesk));
    }
}

// A release puts a window back at its home, unless the desktop has shrunk away from that
// home since: then it comes back onto the desktop, moved by the least, with its size.
TEST(DesktopChange, ReleaseNeverPutsAWindowWhereNothingShowsIt) {
    struct Case {
        const char* name;
        TRect home;
        TRect newDesk;
        TPoint back;
    };
    constexpr Case kCases[] = {
        {"home on the desktop", {2000, 100, 2400, 400}, {0, 0, 3840, 1080}, {2000, 100}},
        {"home partly on the desktop", {1800, 100, 2200, 400}, {0, 0, 1920, 1080}, {1800, 100}},
        {"home right of it", {2000, 100, 2400, 400}, {0, 0, 1920, 1080}, {1520, 100}},
        {"home left of it", {-1500, 100, -1100, 400}, {0, 0, 1920, 1080}, {0, 100}},
        {"home below it", {100, 1200, 500, 1500}, {0, 0, 1920, 1080}, {100, 780}},
        {"home beyond a corner", {2000, -900, 2400, -600}, {0, 0, 1920, 1080}, {1520, 0}},
        {"larger than the desktop", {2000, 0, 4000, 1200}, {0, 0, 1920, 1080}, {0, 0}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.sim.SetScreen({-2000, -1000, 4000, 1600});
        const Hwnd w = rig.AddRegistered(c.home, edLeft);
        rig.sim.SetScreen(c.newDesk);
        rig.sim.MoveTo(w, -5000, 100);  // tucked away somewhere
        rig.engine.UnregisterWindow(w);
        EXPECT_EQ(rig.sim.LeftOf(w), c.back.X);
        EXPECT_EQ(rig.sim.TopOf(w), c.back.Y);
        EXPECT_EQ(Width(rig.sim.RectOf(w)), Width(c.home));
    }
}

// The shell ends and starts again (a crash, an update): its desktop window is a new one, here
// with its left side at 200. Told by the shell's announcement, or at its next reading of the
// desktop, the engine reads the new one, and a push at the new left side pops.
TEST(DesktopChange, ARestartedShellIsReadAgain) {
    constexpr TRect kNewDesk{200, 0, 2120, 1080};
    for (const bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "announced" : "found at the next reading");
        EngineRig rig(true);
        const Hwnd w = rig.AddHidden({-300, 300, 0, 500}, edLeft);
        rig.Tick();
        rig.sim.Destroy(rig.engine.DesktopWnd);
        rig.Tick(20);
        EXPECT_EQ(rig.engine.Wide.DeskRect, (TRect{0, 0, 1920, 1080})) << "the stand-in";
        rig.sim.AddWindow(kNewDesk, "Progman", "Program Manager");
        if (announced) {
            rig.engine.ShellRestarted();
        }
        rig.Tick(announced ? 1 : 20);
        ASSERT_EQ(rig.engine.Wide.DeskRect, kNewDesk);
        rig.sim.cursor = {200, 400};
        ASSERT_TRUE(TickUntil(rig, w, rsShown));
        EXPECT_TRUE(Intersects(rig.sim.RectOf(w), kNewDesk));
    }
}

}  // namespace
}  // namespace popyo::test
