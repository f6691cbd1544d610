#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

constexpr TRect kHome{100, 100, 500, 400};
constexpr TRect kTuckedLeft{-400, 100, 0, 400};
constexpr TPoint kAtLeft{0, 250};
constexpr TPoint kInsideHome{200, 250};

using TickTest = EngineTest;

// One window W tucked away at the left edge, an unregistered window P in front, default
// settings; the cursor pushes against the edge until W is out, then leaves it.
TEST_F(TickTest, WorkedExampleTickByTick) {
    const Hwnd p = other;
    const Hwnd w = AddHidden(kTuckedLeft, edLeft);
    sim.cursor = kAtLeft;

    struct Row {
        const char* tick;
        TPoint cursor;
        std::uint8_t curEdge;
        std::int32_t dwell;
        Status status;
        std::int32_t left;
        std::int32_t offCount;
        std::uint8_t lastPopEdge;
        Hwnd restore;
        Hwnd front;
        bool wasActive;
    };
    const Row kRows[] = {
        {"T0", kAtLeft, edLeft, 0, rsHidden, -400, 0, 0, 0, p, false},
        {"T1", kAtLeft, edLeft, 1, rsHidden, -400, 0, 0, 0, p, false},
        {"T2", kAtLeft, edLeft, 2, rsHidden, -400, 0, 0, 0, p, false},
        {"T3", kAtLeft, edLeft, 3, rsHidden, -400, 0, 0, 0, p, false},
        {"T4", kAtLeft, edLeft, 4, rsHidden, -400, 0, 0, 0, p, false},
        {"T5", kAtLeft, edLeft, 5, rsHidden, -400, 0, 0, 0, p, false},
        {"T6", kAtLeft, edLeft, 6, rsHidden, -400, 0, 0, 0, p, false},
        {"T7", kAtLeft, edLeft, 7, rsHidden, -400, 0, 0, 0, p, false},
        {"T8", kAtLeft, edLeft, 8, rsHidden, -400, 0, 0, 0, p, false},
        {"T9", kAtLeft, edLeft, 9, rsHidden, -400, 0, 0, 0, p, false},
        {"T10", kAtLeft, edLeft, -1, rsShowing, -250, 0, edLeft, 0, p, false},
        {"T11", kAtLeft, edLeft, -1, rsShowing, -100, 0, edLeft, 0, p, false},
        {"T12", kAtLeft, edLeft, -1, rsShown, 0, 0, edLeft, p, w, false},
        {"T13", kAtLeft, edLeft, -1, rsShown, 0, 0, edLeft, p, w, true},
        {"U0", {700, 250}, 0, 0, rsLeaving, 0, 1, edLeft, p, w, true},
        {"U1", {700, 250}, 0, 0, rsLeaving, 0, 2, edLeft, p, w, true},
        {"U2", {700, 250}, 0, 0, rsLeaving, 0, 3, edLeft, p, w, true},
        {"U3", {700, 250}, 0, 0, rsLeaving, 0, 4, edLeft, p, w, true},
        {"U4", {700, 250}, 0, 0, rsLeaving, 0, 5, edLeft, p, w, true},
        {"U5", {700, 250}, 0, 0, rsLeaving, 0, 6, edLeft, p, w, true},
        {"U6", {700, 250}, 0, 0, rsLeaving, 0, 7, edLeft, p, w, true},
        {"U7", {700, 250}, 0, 0, rsLeaving, 0, 8, edLeft, p, w, true},
        {"U8", {700, 250}, 0, 0, rsLeaving, 0, 9, edLeft, p, w, true},
        {"U9", {700, 250}, 0, 0, rsHiding, 0, 10, edLeft, p, w, true},
        {"U10", {700, 250}, 0, 0, rsHiding, -150, 10, edLeft, p, w, true},
        {"U11", {700, 250}, 0, 0, rsHiding, -300, 10, edLeft, p, w, true},
        {"U12", {700, 250}, 0, 0, rsHiding, -400, 10, edLeft, p, w, true},
        {"U13", {700, 250}, 0, 0, rsHidden, -400, 10, 0, 0, p, true},
        {"U14", {700, 250}, 0, 0, rsHidden, -400, 10, 0, 0, p, false},
    };
    for (const Row& r : kRows) {
        SCOPED_TRACE(r.tick);
        sim.cursor = r.cursor;
        Tick();
        EXPECT_EQ(engine.LastEdge, r.curEdge);
        EXPECT_EQ(engine.DwellCount, r.dwell);
        EXPECT_EQ(Slot(w).Status, r.status);
        EXPECT_EQ(sim.LeftOf(w), r.left);
        EXPECT_EQ(sim.TopOf(w), 100);
        EXPECT_EQ(Slot(w).OffCount, r.offCount);
        EXPECT_EQ(engine.LastPopEdge, r.lastPopEdge);
        EXPECT_EQ(engine.RestoreWnd, r.restore);
        EXPECT_EQ(sim.foreground, r.front);
        EXPECT_EQ(Slot(w).WasActive, r.wasActive);
        EXPECT_EQ(engine.LastPopIndex[edLeft], 0);
    }
}

// The first tick at an edge never pops; OnTime n pops on tick n + 1, and at the edge of the
// last pop SwitchOnTime pops on the second tick. After a pop the cursor resting there pops
// nothing more.
TEST(TickDwell, PopComesOnTheExpectedTick) {
    struct Case {
        const char* name;
        std::int32_t onTime;
        bool switchOnTime;
        std::uint8_t lastPopEdge;
        int popTick;
    };
    constexpr Case kCases[] = {
        {"OnTime 0", 0, true, 0, 2},
        {"OnTime 1", 1, true, 0, 2},
        {"OnTime 2", 2, true, 0, 3},
        {"OnTime 10", 10, true, 0, 11},
        {"SwitchOnTime at the edge of the last pop", 10, true, edLeft, 2},
        {"SwitchOnTime off", 10, false, edLeft, 11},
        {"last pop at another edge", 10, true, edTop, 11},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        const Hwnd a = rig.AddHidden(kTuckedLeft, edLeft);
        const Hwnd b = rig.AddHidden({-400, 500, 0, 800}, edLeft);
        rig.engine.OnTime = c.onTime;
        rig.engine.SwitchOnTime = c.switchOnTime;
        rig.engine.LastPopEdge = c.lastPopEdge;
        rig.sim.cursor = kAtLeft;
        for (int tick = 1; tick <= c.popTick + 20; ++tick) {
            rig.Tick();
            if (tick < c.popTick) {
                ASSERT_EQ(rig.Slot(a).Status, rsHidden) << "tick " << tick;
                ASSERT_EQ(rig.engine.DwellCount, tick - 1);
            } else {
                ASSERT_NE(rig.Slot(a).Status, rsHidden) << "tick " << tick;
                ASSERT_EQ(rig.engine.DwellCount, -1);
            }
            // One push pops one window.
            ASSERT_EQ(rig.Slot(b).Status, rsHidden) << "tick " << tick;
        }
    }
}

// The dwell restarts whenever the edge under the cursor changes, the corners included.
TEST_F(TickTest, DwellTraceAlongTheEdges) {
    engine.OnTime = 3;
    engine.SwitchOnTime = false;
    struct Step {
        TPoint cursor;
        std::uint8_t edge;
        std::int32_t dwell;
    };
    constexpr Step kSteps[] = {
        {{0, 500}, edLeft, 0},       {{0, 500}, edLeft, 1},    {{0, 500}, edLeft, 2},
        {{0, 500}, edLeft, -1},      {{0, 600}, edLeft, -1},   {{960, 540}, 0, 0},
        {{0, 500}, edLeft, 0},       {{0, 500}, edLeft, 1},    {{0, 0}, edTop, 0},
        {{5, 0}, edTop, 1},          {{1919, 0}, edTop, 2},    {{1919, 5}, edRight, 0},
        {{1919, 1079}, edBottom, 0}, {{0, 1078}, edBottom, 1}, {{0, 1077}, edLeft, 0},
    };
    int i = 0;
    for (const Step& s : kSteps) {
        SCOPED_TRACE(i++);
        sim.cursor = s.cursor;
        Tick();
        EXPECT_EQ(engine.LastEdge, s.edge);
        EXPECT_EQ(engine.DwellCount, s.dwell);
    }
}

// Later comparisons win at the corners, and the bottom zone is one pixel taller than the
// others.
TEST(TickEdge, ZonesAndCorners) {
    struct Case {
        std::int32_t edgeWidth;
        TPoint cursor;
        std::uint8_t edge;
    };
    constexpr Case kCases[] = {
        {1, {0, 0}, edTop},         {1, {1919, 0}, edTop},
        {1, {0, 1079}, edBottom},   {1, {1919, 1079}, edBottom},
        {1, {0, 540}, edLeft},      {1, {1, 540}, 0},
        {1, {1919, 540}, edRight},  {1, {1918, 540}, 0},
        {1, {960, 0}, edTop},       {1, {960, 1}, 0},
        {1, {960, 1078}, edBottom}, {1, {960, 1077}, 0},
        {1, {-5, 540}, edLeft},     {1, {2000, 2000}, edBottom},
        {3, {2, 540}, edLeft},      {3, {3, 540}, 0},
        {3, {1917, 540}, edRight},  {3, {1916, 540}, 0},
        {3, {960, 1076}, edBottom}, {3, {960, 1075}, 0},
    };
    for (const Case& c : kCases) {
        EngineRig rig;
        rig.engine.Wide.EdgeWidth = c.edgeWidth;
        rig.sim.cursor = c.cursor;
        rig.Tick();
        EXPECT_EQ(rig.engine.LastEdge, c.edge)
            << "w " << c.edgeWidth << " at " << c.cursor.X << "," << c.cursor.Y;
    }
}

// With MouseDownDisable on, the edge test runs when the left button and the disable key
// are both up or both down; the right button and other keys play no part.
TEST(TickGate, EdgeTestRunsByTheTable) {
    struct Case {
        bool mouseDownDisable;
        bool left;
        bool right;
        bool disableKey;
        bool ctrl;
        bool runs;
    };
    constexpr Case kCases[] = {
        {false, false, false, false, false, true}, {false, true, false, false, false, true},
        {false, false, false, true, false, true},  {false, true, false, true, false, true},
        {true, false, false, false, false, true},  {true, false, false, true, false, false},
        {true, true, false, false, false, false},  {true, true, false, true, false, true},
        {true, false, true, false, false, true},   {true, false, false, false, true, true},
    };
    int row = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE(row++);
        EngineRig rig;
        rig.engine.MouseDownDisable = c.mouseDownDisable;
        rig.engine.DisableKey = kVkShift;
        for (const auto& [down, key] :
             {std::pair{c.left, kVkLButton}, std::pair{c.right, kVkRButton},
              std::pair{c.disableKey, kVkShift}, std::pair{c.ctrl, kVkControl}}) {
            if (down) {
                rig.sim.keysDown.insert(key);
            }
        }
        rig.sim.cursor = {0, 500};
        rig.Tick(3);
        EXPECT_EQ(rig.engine.LastEdge, c.runs ? edLeft : edNone);
        EXPECT_EQ(rig.engine.DwellCount, c.runs ? 2 : 0);
    }
}

TEST(TickPopEdge, ChoiceAmongWindowsOfOneEdge) {
    struct Win {
        Edge edge;
        Status status;
        bool pinned;
    };
    struct Case {
        const char* name;
        Win wins[3];
        int count;
        std::int32_t remembered;
        bool autoRestore;
        int expected;  // -1: nothing shown
    };
    constexpr Win kHid{edLeft, rsHidden, false};
    constexpr Win kOut{edLeft, rsShown, false};
    constexpr Win kTop{edTop, rsHidden, false};
    constexpr Win kPinned{edLeft, rsHidden, true};
    constexpr Win kMin{edLeft, rsMinimized, false};
    constexpr Case kCases[] = {
        {"next window while the last popped is out", {kOut, kHid}, 2, 0, true, 1},
        {"same window again once tucked", {kHid, kHid}, 2, 0, true, 0},
        {"lone window out and popped last", {kOut, kTop}, 2, 0, true, -1},
        {"wrap past the end", {kHid, kOut, kTop}, 3, 1, true, 0},
        {"pinned passed over", {kPinned, kHid}, 2, 0, true, 1},
        {"minimized passed over without AutoRestore", {kMin, kHid}, 2, 0, false, 1},
        {"minimized restored with AutoRestore", {kMin, kHid}, 2, 0, true, 0},
        {"nothing eligible", {kPinned, kMin}, 2, 0, false, -1},
        {"remembered past the end starts at 0", {kHid, kHid}, 2, 5, true, 0},
        {"negative remembered starts at 0", {kTop, kHid}, 2, -1, true, 1},
        {"remembered slot at another edge", {kHid, kTop, kHid}, 3, 1, true, 0},
        {"an out window that was not popped last", {kOut, kOut}, 2, 1, true, 0},
        {"leaving window popped last comes back",
         {{edLeft, rsLeaving, false}, kHid},
         2,
         0,
         true,
         0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.AutoRestore = c.autoRestore;
        std::array<Hwnd, 3> wnds{};
        for (int i = 0; i < c.count; ++i) {
            const Win& win = c.wins[i];
            const Hwnd h = rig.AddRegistered({100 + i * 50, 100, 400 + i * 50, 400}, win.edge);
            wnds[static_cast<std::size_t>(i)] = h;
            rig.Slot(h).Status = win.status;
            rig.Slot(h).Pinned = win.pinned;
            if (win.status == rsMinimized) {
                rig.sim.Minimize(h);
            }
        }
        rig.engine.LastPopIndex[edLeft] = c.remembered;
        rig.sim.ClearCalls();

        rig.engine.PopEdge(edLeft);

        for (int i = 0; i < c.count; ++i) {
            const Win& win = c.wins[i];
            EXPECT_EQ(rig.Slot(wnds[static_cast<std::size_t>(i)]).Status,
                      i == c.expected ? rsShowing : win.status)
                << "slot " << i;
        }
        EXPECT_EQ(rig.engine.LastPopIndex[edLeft], c.expected >= 0 ? c.expected : c.remembered);
        EXPECT_EQ(rig.engine.LastPopEdge, c.expected >= 0 ? edLeft : 0);
        // Besides DWM's answer whether the window taken is cloaked, only a restore.
        const bool restores = c.expected >= 0 && c.wins[c.expected].status == rsMinimized;
        const std::uint64_t dwm = rig.sim.Count(CallKind::DwmGetWindowAttribute);
        EXPECT_EQ(dwm, c.expected >= 0 ? 1u : 0u);
        if (restores) {
            const std::vector<Call> expected = {
                {CallKind::ShowWindow, wnds[static_cast<std::size_t>(c.expected)], 0, kSwRestore}};
            EXPECT_EQ(rig.sim.CallsOf(CallKind::ShowWindow), expected);
            EXPECT_EQ(rig.sim.TotalCalls(), dwm + 1);
        } else {
            EXPECT_EQ(rig.sim.TotalCalls(), dwm);
        }
    }
}

// A window that comes out while the cursor is elsewhere: with OutCheck on it stays out
// until the cursor has been inside it once; with it off it starts leaving at once.
TEST(TickLeave, OutCheckCountsOnlyTheCrossingOut) {
    for (const bool outCheck : {true, false}) {
        SCOPED_TRACE(outCheck ? "OutCheck on" : "OutCheck off");
        EngineRig rig;
        rig.engine.OutCheck = outCheck;
        rig.engine.AutoActivate = false;
        const Hwnd w = rig.AddHidden(kTuckedLeft, edLeft);
        rig.engine.PendingEdge = edLeft;
        rig.Tick(3);
        ASSERT_EQ(rig.Slot(w).Status, rsShown);
        ASSERT_EQ(rig.sim.LeftOf(w), 0);

        rig.Tick();
        if (!outCheck) {
            EXPECT_EQ(rig.Slot(w).Status, rsLeaving);
            EXPECT_EQ(rig.Slot(w).OffCount, 1);
            continue;
        }
        rig.Tick(20);
        EXPECT_EQ(rig.Slot(w).Status, rsShown);
        rig.sim.cursor = kInsideHome;
        rig.Tick();
        EXPECT_EQ(rig.Slot(w).Status, rsShown);
        rig.sim.cursor = kNowhere;
        rig.Tick();
        EXPECT_EQ(rig.Slot(w).Status, rsLeaving);
    }
}

TEST(TickLeave, OffTimeZeroOrOneHidesOnTheLeavingTick) {
    struct Case {
        std::int32_t offTime;
        Status after;
    };
    constexpr Case kCases[] = {{0, rsHiding}, {1, rsHiding}, {2, rsLeaving}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.offTime);
        EngineRig rig;
        rig.engine.OffTime = c.offTime;
        const Hwnd w = rig.AddRegistered(kHome, edLeft);
        rig.sim.cursor = kInsideHome;
        rig.Tick();
        rig.sim.cursor = kNowhere;
        rig.Tick();
        EXPECT_EQ(rig.Slot(w).Status, c.after);
        EXPECT_EQ(rig.sim.LeftOf(w), 100) << "the first hide step comes with the next tick";
    }
}

// A foreground switch hides the windows that lost it, except while a mouse button is down
// (and that switch is not looked at again) or when the new foreground is a front-end.
TEST(TickActivation, SwitchOfForeground) {
    enum Target { kPlain, kFrontEnd, kRegisteredFrontEnd };
    struct Case {
        const char* name;
        Target target;
        bool left;
        bool right;
        bool hiAct;
        Status status;
        bool wasActive;
    };
    constexpr Case kCases[] = {
        {"plain window", kPlain, false, false, true, rsHiding, false},
        {"plain window, HiAct off", kPlain, false, false, false, rsShown, false},
        {"plain window, left button held", kPlain, true, false, true, rsShown, true},
        {"plain window, right button held", kPlain, false, true, true, rsShown, true},
        {"attached front-end", kFrontEnd, false, false, true, rsShown, true},
        {"registered front-end", kRegisteredFrontEnd, false, false, true, rsHiding, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.HiAct = c.hiAct;
        const Hwnd w = rig.AddRegistered(kHome, edLeft);
        const Hwnd fe = rig.sim.AddWindow({1500, 100, 1800, 400});
        rig.engine.AttachFrontEnd(fe, 1);
        if (c.target == kRegisteredFrontEnd) {
            rig.engine.RegisterWindow(fe, edRight);
        }
        const Hwnd q = rig.sim.AddWindow({1000, 600, 1200, 800});
        rig.sim.cursor = kInsideHome;
        rig.Tick();

        rig.sim.foreground = c.target == kPlain ? q : fe;
        if (c.left) {
            rig.sim.keysDown.insert(kVkLButton);
        }
        if (c.right) {
            rig.sim.keysDown.insert(kVkRButton);
        }
        rig.Tick();
        EXPECT_EQ(rig.Slot(w).Status, c.status);
        EXPECT_EQ(rig.Slot(w).WasActive, c.wasActive);

        rig.sim.keysDown.clear();
        rig.Tick(3);
        if (c.status == rsShown) {
            EXPECT_EQ(rig.Slot(w).Status, rsShown) << "after the button is released";
            EXPECT_EQ(rig.Slot(w).WasActive, c.wasActive);
        }
    }
}

// A button held down keeps the foreground window from being left, but not the others.
TEST_F(TickTest, HeldButtonKeepsOnlyTheForegroundWindowFromLeaving) {
    const Hwnd front = AddRegistered(kHome, edLeft);
    const Hwnd back = AddRegistered({150, 150, 450, 450}, edLeft);
    sim.foreground = front;
    engine.PrevForeWnd = front;
    sim.cursor = kInsideHome;
    Tick();
    sim.cursor = kNowhere;
    sim.keysDown.insert(kVkLButton);
    Tick();
    EXPECT_EQ(Slot(front).Status, rsShown);
    EXPECT_EQ(Slot(back).Status, rsLeaving);
}

// With ChangePopyonStyle on, hiding records where the window stands, unless it already
// sticks out past its own edge.
TEST(TickHome, ChangePopyonStyleRecordsHomeOnHiding) {
    struct Case {
        std::int32_t movedTo;
        std::uint8_t toHome;
        std::int32_t homeX;
        std::int32_t restLeft;
    };
    constexpr Case kCases[] = {{300, 1, 300, 300}, {-50, 0, 0, 0}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.movedTo);
        EngineRig rig;
        rig.engine.ChangePopyonStyle = true;
        const Hwnd w = rig.AddRegistered({0, 100, 400, 400}, edLeft);
        rig.sim.cursor = {350, 250};
        rig.Tick();  // the desktop rectangle is known from the first tick on
        rig.sim.MoveTo(w, c.movedTo, 100);
        rig.engine.HideAll();
        rig.sim.cursor = kNowhere;
        EXPECT_EQ(rig.Slot(w).ToHome, c.toHome);
        EXPECT_EQ(rig.Slot(w).HomeX, c.homeX);
        for (int i = 0; i < 20 && rig.Slot(w).Status != rsHidden; ++i) {
            rig.Tick();
        }
        ASSERT_EQ(rig.Slot(w).Status, rsHidden);
        EXPECT_EQ(rig.sim.LeftOf(w), -400);

        rig.engine.PendingEdge = edLeft;
        for (int i = 0; i < 20 && rig.Slot(w).Status != rsShown; ++i) {
            rig.Tick();
        }
        ASSERT_EQ(rig.Slot(w).Status, rsShown);
        EXPECT_EQ(rig.sim.LeftOf(w), c.restLeft);
    }
}

// The window to hand the foreground back to is recorded when a window arrives out: a
// window that arrives in one step while another program is in front keeps the one recorded
// before, a slide-out of several steps records afresh.
TEST(TickRestore, RestoreWndRecordsTheWindowThatHadTheForeground) {
    struct Case {
        const char* name;
        TRect start;
        Hwnd (*expected)(Hwnd first, Hwnd now);
    };
    const Case kCases[] = {
        {"arrives in one step", kHome, [](Hwnd first, Hwnd) { return first; }},
        {"slides out in several steps", kTuckedLeft, [](Hwnd, Hwnd now) { return now; }},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        const Hwnd q = rig.sim.AddWindow({1000, 600, 1200, 800});
        const Hwnd w = rig.AddRegistered(c.start, edLeft);
        rig.engine.RestoreWnd = rig.other;
        rig.sim.foreground = q;
        rig.engine.PrevForeWnd = q;
        rig.engine.BeginShowing(rig.engine.IndexOfWindow(w));
        rig.sim.cursor = {5, 250};
        for (int i = 0; i < 10 && rig.Slot(w).Status != rsShown; ++i) {
            rig.Tick();
        }
        ASSERT_EQ(rig.Slot(w).Status, rsShown);
        EXPECT_EQ(rig.sim.foreground, w);
        EXPECT_EQ(rig.engine.RestoreWnd, c.expected(rig.other, q));
    }
}

// The foreground goes back, and the last pop edge is forgotten, only once every window,
// pinned ones too, is hidden or minimized.
TEST(TickRestore, HandBackWaitsUntilAllAreTucked) {
    struct Case {
        Status other;
        bool pinned;
        bool handBack;
    };
    constexpr Case kCases[] = {{rsHidden, false, true},   {rsMinimized, false, true},
                               {rsHiding, false, false},  {rsShown, false, false},
                               {rsShowing, false, false}, {rsShown, true, false}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << int{c.other} << (c.pinned ? " pinned" : ""));
        EngineRig rig;
        const Hwnd a = rig.AddRegistered(kTuckedLeft, edLeft);
        const Hwnd b = rig.AddRegistered(kHome, edLeft);
        rig.Slot(a).Status = rsHiding;
        rig.Slot(b).Status = c.other;
        rig.Slot(b).Pinned = c.pinned;
        rig.sim.foreground = a;
        rig.engine.PrevForeWnd = a;
        rig.engine.RestoreWnd = rig.other;
        rig.engine.LastPopEdge = edLeft;
        rig.Tick();
        ASSERT_EQ(rig.Slot(a).Status, rsHidden);
        EXPECT_EQ(rig.sim.foreground == rig.other, c.handBack);
        EXPECT_EQ(rig.engine.RestoreWnd, c.handBack ? 0 : rig.other);
        EXPECT_EQ(rig.engine.LastPopEdge, c.handBack ? 0 : edLeft);
    }
}

// A requested pop leaves the dwell as it was and makes its edge the last edge, so the
// dwell counts on at the next tick.
TEST(TickPending, ServedPopLeavesDwellCount) {
    for (const bool switchOnTime : {true, false}) {
        SCOPED_TRACE(switchOnTime ? "SwitchOnTime on" : "SwitchOnTime off");
        EngineRig rig;
        rig.engine.SwitchOnTime = switchOnTime;
        const Hwnd w = rig.AddHidden(kTuckedLeft, edLeft);
        rig.sim.cursor = kAtLeft;
        rig.Tick(4);
        ASSERT_EQ(rig.engine.DwellCount, 3);
        rig.engine.PendingEdge = edLeft;
        rig.Tick();
        EXPECT_EQ(rig.Slot(w).Status, rsShowing);
        EXPECT_EQ(rig.engine.DwellCount, 3);
        EXPECT_EQ(rig.engine.LastEdge, edLeft);
        EXPECT_EQ(rig.engine.PendingEdge, 0);
        rig.Tick();
        EXPECT_EQ(rig.engine.DwellCount, switchOnTime ? -1 : 4);
    }
}

TEST_F(TickTest, EmptyRegistryStillRefreshesDesktopAndDwells) {
    sim.SetScreen({-1920, 0, 1920, 1080});
    sim.cursor = {-1920, 500};
    Tick(2);
    EXPECT_EQ(engine.Wide.DeskRect, (TRect{-1920, 0, 1920, 1080}));
    EXPECT_EQ(engine.LastEdge, edLeft);
    EXPECT_EQ(engine.DwellCount, 1);
    EXPECT_TRUE(engine.AllTucked());
    engine.PendingEdge = edTop;
    sim.ClearCalls();
    Tick();
    EXPECT_EQ(engine.PendingEdge, 0);
    EXPECT_EQ(sim.Count(CallKind::SetWindowPos) + sim.Count(CallKind::ShowWindow), 0u);
}

// A tick makes a fixed handful of calls (foreground, three key states, cursor) and two per
// idle window to validate it; the desktop rectangle is read only on some ticks.
TEST(TickCost, FixedCallsPlusTwoPerIdleWindow) {
    for (const int n : {0, 1, 3, 8}) {
        SCOPED_TRACE(n);
        EngineRig rig;
        for (int i = 0; i < n; ++i) {
            rig.AddRegistered({100 + i, 100, 700, 600}, edLeft);
        }
        rig.sim.cursor = {400, 300};
        rig.Tick();
        rig.sim.ClearCalls();
        rig.Tick();
        const auto un = static_cast<std::uint64_t>(n);
        EXPECT_EQ(rig.sim.Count(CallKind::GetForegroundWindow), 1u);
        EXPECT_EQ(rig.sim.Count(CallKind::GetWindowRect), un);
        EXPECT_EQ(rig.sim.Count(CallKind::GetKeyState), 3u);
        EXPECT_EQ(rig.sim.Count(CallKind::GetCursorPos), 1u);
        EXPECT_EQ(rig.sim.Count(CallKind::GetWindowLongA), un);
        EXPECT_EQ(rig.sim.TotalCalls(), 5u + 2u * un);
    }
}

// Slots of vanished or released windows go at the end of the tick that finds them.
TEST_F(TickTest, FreedSlotsAreDroppedAtTheEndOfTheTick) {
    const Hwnd gone = AddRegistered(kHome, edLeft);
    const Hwnd released = AddRegistered({150, 150, 450, 450}, edLeft);
    const Hwnd kept = AddRegistered({200, 200, 500, 500}, edLeft);
    engine.LastPopIndex[edLeft] = 2;
    sim.cursor = {300, 300};
    sim.Destroy(gone);
    engine.UnregisterWindow(released);
    Tick();
    ASSERT_EQ(engine.RegWins.size(), 1u);
    EXPECT_EQ(engine.RegWins[0]->Wnd, kept);
    EXPECT_EQ(engine.LastPopIndex[edLeft], 0);
}

// A tick that comes while one runs (here from inside a window call) is dropped.
TEST_F(TickTest, NestedTickIsDropped) {
    AddRegistered(kHome, edLeft);
    int nested = 0;
    sim.onCall = [&](const Call&) {
        if (nested++ == 0) {
            engine.Timer1Timer();
        }
    };
    Tick();
    EXPECT_EQ(sim.Count(CallKind::GetForegroundWindow), 1u);
    EXPECT_FALSE(engine.Busy);
}

}  // namespace
}  // namespace popyo::test
