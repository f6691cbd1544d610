// Several monitors: the edges lie along every monitor's outer sides, a window hides beyond
// its own monitor's side and comes out to it, a push pops a window of the monitor it was made
// on, and a window never goes back where no monitor shows it. Each layout is checked the
// same way; on one monitor, and where the monitors fill their bounding box, everything is
// as it is with the desktop rectangle alone.
#include "platform/Monitors.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

struct EdgeCase {
    TPoint cursor;
    std::uint8_t edge;
};

// A window registered at `edge` standing at `home`: tucked away, its near side lies on the
// line `hiddenAt`; popped, it stands at `out`.
struct SlideCase {
    Edge edge;
    TRect home;
    std::int32_t hiddenAt;
    TRect out;
};

// A push at the point pops the window of slides[popped], or none (-1).
struct PushCase {
    TPoint cursor;
    int popped;
};

struct Layout {
    std::string name;
    MonitorList monitors;
    std::vector<EdgeCase> edges;
    std::vector<SlideCase> slides;
    std::vector<PushCase> pushes;
};

void PrintTo(const Layout& layout, std::ostream* os) {
    *os << layout.name;
}

const Layout kLayouts[] = {
    {"OneMonitor",
     {{0, 0, 1920, 1080}},
     {{{0, 500}, edLeft},
      {{1919, 500}, edRight},
      {{500, 0}, edTop},
      {{500, 1078}, edBottom},
      {{500, 1079}, edBottom},
      {{500, 1077}, edNone},
      {{0, 0}, edTop},
      {{1919, 1079}, edBottom}},
     {{edLeft, {100, 300, 400, 600}, 0, {0, 300, 300, 600}},
      {edBottom, {500, 700, 800, 900}, 1080, {500, 880, 800, 1080}}},
     {{{0, 450}, 0}, {{600, 1079}, 1}}},
    // The monitors fill their box: nothing changes.
    {"SideBySideEqual",
     {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}},
     {{{0, 500}, edLeft},
      {{1919, 500}, edNone},
      {{1920, 500}, edNone},
      {{3839, 500}, edRight},
      {{2500, 0}, edTop},
      {{2500, 1079}, edBottom},
      {{500, 1079}, edBottom}},
     // A's right side has B beyond it: the window hides beyond the desktop's right side.
     {{edRight, {1500, 300, 1800, 600}, 3840, {3540, 300, 3840, 600}},
      {edBottom, {2500, 700, 2800, 900}, 1080, {2500, 880, 2800, 1080}}},
     {{{3839, 450}, 0}, {{500, 1079}, 1}}},
    // B is taller: below A lies no monitor.
    {"SideBySideDifferentHeights",
     {{0, 0, 1920, 1080}, {1920, 0, 4480, 1440}},
     {{{500, 1079}, edBottom},
      {{500, 1078}, edBottom},
      {{500, 1077}, edNone},
      {{2500, 1439}, edBottom},
      {{2500, 1079}, edNone},
      {{1920, 1200}, edLeft},
      {{1920, 500}, edNone},
      {{1919, 500}, edNone},
      {{4479, 500}, edRight},
      {{0, 500}, edLeft}},
     {// Out again with its bottom on A's, not 360 pixels below it.
      {edBottom, {500, 700, 800, 900}, 1080, {500, 880, 800, 1080}},
      {edBottom, {2500, 700, 2800, 900}, 1440, {2500, 1240, 2800, 1440}},
      // Mostly on A, but B would show it below A's bottom: beyond the desktop's bottom.
      {edBottom, {1700, 700, 2000, 900}, 1440, {1700, 1240, 2000, 1440}}},
     {{{500, 1079}, 0}, {{2500, 1439}, 1}, {{3000, 1439}, 1}}},
    // C is narrower and below A: right of C lies no monitor.
    {"StackedDifferentWidths",
     {{0, 0, 2560, 1440}, {0, 1440, 1920, 2520}},
     {{{2559, 500}, edRight},
      {{1919, 2000}, edRight},
      {{2200, 1439}, edBottom},
      {{1000, 1439}, edNone},
      {{1000, 2519}, edBottom},
      {{0, 2000}, edLeft},
      {{1000, 0}, edTop},
      {{1919, 1500}, edRight}},
     {{edRight, {1500, 1800, 1800, 2000}, 1920, {1620, 1800, 1920, 2000}},
      {edRight, {2000, 300, 2300, 600}, 2560, {2260, 300, 2560, 600}}},
     {{{1919, 2000}, 0}, {{2559, 500}, 1}}},
    // B right of A, C below A: nothing below B or right of C.
    {"ThreeInAnL",
     {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {0, 1080, 1920, 2160}},
     {{{2500, 1079}, edBottom},
      {{1000, 1079}, edNone},
      {{1000, 2159}, edBottom},
      {{1919, 1500}, edRight},
      {{3839, 500}, edRight},
      {{1919, 500}, edNone}},
     {{edBottom, {2500, 700, 2800, 900}, 1080, {2500, 880, 2800, 1080}},
      {edBottom, {500, 1700, 800, 1900}, 2160, {500, 1960, 800, 2160}},
      {edRight, {1500, 1500, 1800, 1700}, 1920, {1620, 1500, 1920, 1700}}},
     {{{2500, 1079}, 0}, {{1000, 2159}, 1}, {{1919, 1600}, 2}, {{3839, 1000}, -1}}},
    // L lies left of the primary monitor, 200 pixels lower.
    {"MonitorAtNegativeCoordinates",
     {{-1920, 200, 0, 1280}, {0, 0, 1920, 1080}},
     {{{-1920, 700}, edLeft},
      {{500, 0}, edTop},
      {{-1000, 200}, edTop},
      {{-1000, 1279}, edBottom},
      {{500, 1079}, edBottom},
      {{1919, 500}, edRight},
      {{0, 500}, edNone},
      {{0, 100}, edLeft}},
     {{edTop, {-1500, 400, -1200, 600}, 200, {-1500, 200, -1200, 400}},
      {edBottom, {500, 700, 800, 900}, 1080, {500, 880, 800, 1080}},
      // On the desktop's own left side, as on one desktop starting left of 0.
      {edLeft, {-1800, 400, -1500, 600}, -1920, {-1920, 400, -1620, 600}}},
     {{{-1000, 200}, 0}, {{500, 1079}, 1}, {{-1920, 500}, 2}, {{500, 0}, -1}}},
    // B above A and wider on both sides: the box starts at (-320, -1440).
    {"MonitorAboveWider",
     {{0, 0, 1920, 1080}, {-320, -1440, 2240, 0}},
     {{{1919, 450}, edRight},
      {{2239, -850}, edRight},
      {{2000, -1}, edBottom},
      {{1000, -1}, edNone},
      {{-320, -1300}, edLeft}},
     {// Out again on B where it stood, not at 0 on the part of the box right of A.
      {edRight, {1800, -1000, 2100, -700}, 2240, {1940, -1000, 2240, -700}},
      {edRight, {1500, 300, 1800, 600}, 1920, {1620, 300, 1920, 600}},
      // A title bar above every monitor comes down to the top of the box.
      {edLeft, {-200, -1500, 100, -1200}, -320, {-320, -1440, -20, -1140}}},
     {{{2239, -850}, 0}, {{1919, 450}, 1}, {{-320, -1300}, 2}}},
};

class MonitorLayout : public ::testing::TestWithParam<Layout> {
  protected:
    // An engine on the layout, the foreground playing no part; a push waits OnTime.
    void SetUp() override {
        rig.sim.SetMonitors(GetParam().monitors);
        rig.engine.ActWin = false;
        rig.engine.HiAct = false;
        rig.engine.AutoActivate = false;
        rig.engine.SwitchOnTime = false;
        rig.engine.OffTime = 0;
        rig.sim.cursor = Away();
        rig.Tick();
    }

    // Far from every edge, on the first monitor.
    TPoint Away() const {
        const TRect& m = GetParam().monitors.All().front();
        return {m.Left + Width(m) / 2, m.Top + Height(m) / 2 + 37};
    }

    bool TickUntil(Hwnd wnd, Status status) {
        for (int i = 0; i < 100 && rig.Slot(wnd).Status != status; ++i) {
            rig.Tick();
        }
        return rig.Slot(wnd).Status == status;
    }

    static std::int32_t Across(const TRect& r, Edge edge) {
        switch (edge) {
            case edLeft:
                return r.Right;
            case edTop:
                return r.Bottom;
            case edBottom:
                return r.Top;
            default:
                return r.Left;
        }
    }

    EngineRig rig;
};

TEST_P(MonitorLayout, CursorPositionsAndTheirEdges) {
    for (const EdgeCase& c : GetParam().edges) {
        SCOPED_TRACE(::testing::Message() << "cursor " << c.cursor.X << "," << c.cursor.Y);
        rig.sim.cursor = c.cursor;
        rig.Tick();
        EXPECT_EQ(rig.engine.LastEdge, c.edge);
    }
}

TEST_P(MonitorLayout, WindowsHideBeyondAndComeOutToTheirMonitorsSide) {
    for (const SlideCase& c : GetParam().slides) {
        SCOPED_TRACE(::testing::Message()
                     << "edge " << int{c.edge} << " home " << c.home.Left << "," << c.home.Top);
        EngineRig one;
        one.sim.SetMonitors(GetParam().monitors);
        one.engine.ActWin = one.engine.HiAct = one.engine.AutoActivate = false;
        one.engine.OffTime = 0;
        one.sim.cursor = Away();
        const Hwnd w = one.AddRegistered(c.home, c.edge);
        for (int i = 0; i < 100 && one.Slot(w).Status != rsHidden; ++i) {
            one.Tick();
        }
        ASSERT_EQ(one.Slot(w).Status, rsHidden);
        EXPECT_EQ(Across(one.sim.RectOf(w), c.edge), c.hiddenAt);
        EXPECT_FALSE(OnAnyMonitor(GetParam().monitors, one.sim.RectOf(w)));

        one.sim.cursor = {c.out.Left + 10, c.out.Top + 10};
        one.engine.Dispatch(EM_POP, 0, c.edge);
        for (int i = 0; i < 100 && one.Slot(w).Status != rsShown; ++i) {
            one.Tick();
        }
        ASSERT_EQ(one.Slot(w).Status, rsShown);
        EXPECT_EQ(one.sim.RectOf(w), c.out);
    }
}

TEST_P(MonitorLayout, APushPopsAWindowOfItsMonitor) {
    std::vector<Hwnd> windows;
    for (const SlideCase& c : GetParam().slides) {
        windows.push_back(rig.AddRegistered(c.home, c.edge));
    }
    for (const PushCase& push : GetParam().pushes) {
        SCOPED_TRACE(::testing::Message() << "push at " << push.cursor.X << "," << push.cursor.Y);
        rig.sim.cursor = Away();
        rig.engine.Dispatch(EM_POP, 0, 0);
        for (const Hwnd w : windows) {
            ASSERT_TRUE(TickUntil(w, rsHidden));
        }
        rig.sim.cursor = push.cursor;
        rig.Tick(rig.engine.OnTime + 2);
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const Status s = rig.Slot(windows[i]).Status;
            EXPECT_EQ(s == rsShowing || s == rsShown, static_cast<int>(i) == push.popped)
                << "window " << i;
        }
    }
}

std::string LayoutName(const ::testing::TestParamInfo<Layout>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Layouts, MonitorLayout, ::testing::ValuesIn(kLayouts), LayoutName);

// A monitor unplugged: its windows belong to the nearest one left, a tucked-away window that
// a monitor now shows hides again, and neither a pop nor a release puts a window where no
// monitor shows it. Found on Wine: the window tucked away below the monitor that went came
// out below nothing, right of the monitors left.
TEST(MonitorRemoved, WindowsMoveToTheNearestMonitorLeft) {
    const TRect a{0, 0, 1920, 1080};
    const TRect b{1920, 0, 3840, 1080};
    const TRect c{0, 1080, 1920, 2160};
    struct Case {
        const char* name;
        MonitorList after;
        TPoint releasedAt;
    };
    const Case kCases[] = {
        {"two left", {a, c}, {1620, 300}},
        {"one left", {a}, {1620, 300}},
        {"moved up", {a, {1920, -1080, 3840, 0}, c}, {2500, -300}},
    };
    for (const Case& k : kCases) {
        SCOPED_TRACE(k.name);
        EngineRig rig;
        rig.sim.SetMonitors({a, b, c});
        rig.engine.OffTime = 0;
        rig.sim.cursor = {900, 500};
        rig.Tick();
        // Tucked away below B, in the part of the desktop no monitor shows.
        const Hwnd w = rig.AddRegistered({2500, 300, 2800, 600}, edBottom);
        for (int i = 0; i < 40 && rig.Slot(w).Status != rsHidden; ++i) {
            rig.Tick();
        }
        ASSERT_EQ(rig.Slot(w).Status, rsHidden);
        ASSERT_EQ(rig.sim.TopOf(w), 1080);

        rig.sim.SetMonitors(k.after);
        rig.engine.DesktopChanged();
        rig.Tick();
        EXPECT_EQ(rig.Slot(w).Monitor, MonitorFor(k.after, b));
        for (int i = 0; i < 40 && rig.Slot(w).Status != rsHidden; ++i) {
            rig.Tick();
        }
        EXPECT_FALSE(OnAnyMonitor(k.after, rig.sim.RectOf(w)));

        rig.engine.Dispatch(EM_POP, 0, edBottom);
        for (int i = 0; i < 40 && rig.Slot(w).Status != rsShown; ++i) {
            rig.Tick();
        }
        EXPECT_TRUE(OnAnyMonitor(k.after, rig.sim.RectOf(w)));
        rig.engine.UnregisterWindow(w);
        EXPECT_EQ(rig.sim.LeftOf(w), k.releasedAt.X);
        EXPECT_EQ(rig.sim.TopOf(w), k.releasedAt.Y);
        EXPECT_TRUE(OnAnyMonitor(k.after, rig.sim.RectOf(w)));
    }
}

// Tucked away beyond a side of B, a window is far beyond A's once B goes. It waits just
// beyond A's side instead, and a push there brings it out at once, not after a slide through
// nothing.
TEST(MonitorRemoved, TuckedWindowsWaitJustBeyondTheNewEdge) {
    const TRect a{0, 0, 1920, 1080};
    struct Case {
        const char* name;
        TRect b;
        Edge edge;
        TRect window;
        TRect tucked;  // on A and B
        TRect waits;   // on A alone
        TPoint push;
    };
    const Case kCases[] = {
        {"B right of A",
         {1920, 0, 4480, 1440},
         edRight,
         {3500, 300, 3800, 600},
         {4480, 300, 4780, 600},
         {1920, 300, 2220, 600},
         {1919, 450}},
        {"B below A",
         {0, 1080, 1920, 2160},
         edBottom,
         {500, 1500, 800, 1800},
         {500, 2160, 800, 2460},
         {500, 1080, 800, 1380},
         {650, 1079}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.sim.SetMonitors({a, c.b});
        rig.engine.OffTime = 0;
        rig.sim.cursor = {900, 500};
        rig.Tick();
        const Hwnd w = rig.AddRegistered(c.window, c.edge);
        for (int i = 0; i < 40 && rig.Slot(w).Status != rsHidden; ++i) {
            rig.Tick();
        }
        ASSERT_EQ(rig.sim.RectOf(w), c.tucked);

        rig.sim.SetMonitors({a});
        rig.engine.DesktopChanged();
        rig.Tick();
        EXPECT_EQ(rig.sim.RectOf(w), c.waits);
        EXPECT_EQ(rig.Slot(w).Status, rsHidden);

        rig.sim.cursor = c.push;
        for (int i = 0; i < 40 && rig.Slot(w).Status == rsHidden; ++i) {
            rig.Tick();
        }
        rig.Tick();
        EXPECT_TRUE(Intersects(rig.sim.RectOf(w), a)) << "the first step shows nothing";
    }
}

// Found on Wine: without the shell, the engine's desktop window is the system's, which Wine
// makes as large as the primary monitor alone. The box shrank to A; the window on B read as
// hidden where it stood, and a push brought it out onto A. The box is at least the monitors'
// bounding box, whatever the desktop window says, or when it cannot be read.
TEST(MonitorsWithoutShell, TheBoxIsAtLeastTheMonitorsBoundingBox) {
    const TRect a{0, 0, 1920, 1080};
    const TRect b{1920, 0, 4480, 1440};
    struct Case {
        const char* name;
        bool withShell;
        std::optional<TRect> desktopWindow;  // nullopt: gone before the first read
        TRect box;
    };
    const Case kCases[] = {
        {"the primary monitor alone", false, a, {0, 0, 4480, 1440}},
        {"larger than the monitors", false, TRect{-100, 0, 4480, 1500}, {-100, 0, 4480, 1500}},
        {"the shell's window gone", true, std::nullopt, {0, 0, 4480, 1440}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig(c.withShell);
        rig.sim.SetMonitors({a, b});
        if (c.desktopWindow) {
            rig.sim.Window(rig.engine.DesktopWnd).rect = *c.desktopWindow;
        } else {
            rig.sim.Destroy(rig.engine.DesktopWnd);
        }
        rig.engine.OffTime = 0;
        rig.sim.cursor = {900, 500};
        rig.Tick();
        EXPECT_EQ(rig.engine.Wide.DeskRect, c.box);

        const Hwnd w = rig.AddRegistered({3500, 300, 3800, 600}, edRight);
        for (int i = 0; i < 40 && rig.Slot(w).Status != rsHidden; ++i) {
            rig.Tick();
        }
        EXPECT_EQ(rig.sim.RectOf(w), (TRect{4480, 300, 4780, 600}));
        rig.sim.cursor = {4479, 450};
        for (int i = 0; i < 40 && rig.Slot(w).Status != rsShown; ++i) {
            rig.Tick();
        }
        EXPECT_EQ(rig.sim.RectOf(w), (TRect{4180, 300, 4480, 600}));
    }
}

// Found by the fuzzer: a window whose user moved it, tucked away, onto another monitor beyond
// its own monitor's side counted as hidden there. Hiding again, it goes back to just beyond
// its monitor's side, where no monitor shows it; out of line with its monitor, it hides
// beyond the desktop's side.
TEST(MonitorMovedByItsUser, HidingAgainEndsWhereNoMonitorShowsIt) {
    const TRect a{0, 0, 1920, 1080};
    const TRect above{0, -2160, 1920, -1080};  // 1080 pixels above A, with a gap between
    const TRect left{-1920, -1500, 0, -420};
    struct Case {
        const char* name;
        TRect movedTo;
        TRect hiddenAt;
    };
    const Case kCases[] = {
        {"onto the monitor above, in line", {100, -1500, 500, -1200}, {100, -300, 500, 0}},
        {"onto the monitor to the left, out of line",
         {-1500, -800, -1100, -500},
         {-1500, -2460, -1100, -2160}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.sim.SetMonitors({a, above, left});
        rig.engine.OffTime = 0;
        rig.sim.cursor = {900, 500};
        rig.Tick();
        const Hwnd w = rig.AddRegistered({100, 100, 500, 400}, edTop);
        for (int i = 0; i < 40 && rig.Slot(w).Status != rsHidden; ++i) {
            rig.Tick();
        }
        ASSERT_EQ(rig.sim.RectOf(w), (TRect{100, -300, 500, 0}));
        rig.sim.MoveTo(w, c.movedTo.Left, c.movedTo.Top);
        rig.engine.Dispatch(EM_HIDE, w, 0);
        for (int i = 0; i < 40 && (i == 0 || rig.Slot(w).Status != rsHidden); ++i) {
            rig.Tick();
        }
        EXPECT_EQ(rig.Slot(w).Status, rsHidden);
        EXPECT_EQ(rig.sim.RectOf(w), c.hiddenAt);
        EXPECT_FALSE(OnAnyMonitor({a, above, left}, rig.sim.RectOf(w)));
    }
}

// What front-ends and the engine ask of a list of monitors.
TEST(MonitorList, WhichMonitorARectangleBelongsTo) {
    const MonitorList m{{0, 0, 1920, 1080}, {1920, 0, 4480, 1440}};
    struct Case {
        TRect r;
        TRect monitor;
    };
    constexpr Case kCases[] = {
        {{100, 100, 400, 400}, {0, 0, 1920, 1080}},
        {{1800, 100, 2200, 400}, {1920, 0, 4480, 1440}},  // 120 on A, 280 on B
        {{1700, 100, 2000, 400}, {0, 0, 1920, 1080}},
        {{100, 1200, 400, 1400}, {0, 0, 1920, 1080}},  // on none: the nearest
        {{5000, 100, 5400, 400}, {1920, 0, 4480, 1440}},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(MonitorFor(m, c.r), c.monitor);
    }
    EXPECT_TRUE(OnAnyMonitor(m, {1919, 1079, 1920, 1080}));
    EXPECT_FALSE(OnAnyMonitor(m, {0, 1080, 1920, 1440}));
    EXPECT_EQ(BoundingBox(m), (TRect{0, 0, 4480, 1440}));
    EXPECT_EQ(MonitorFor(MonitorList{}, {0, 0, 1, 1}), TRect{});
    // Found by the fuzzer: the overlap of two rectangles that span the whole range is larger
    // than a signed 64-bit product holds.
    constexpr std::int32_t kLo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kHi = std::numeric_limits<std::int32_t>::max();
    const MonitorList huge{{kLo, kLo, kHi, kHi}, {0, 0, 10, 10}};
    EXPECT_EQ(MonitorFor(huge, {kLo, kLo, kHi, kHi}), (TRect{kLo, kLo, kHi, kHi}));
}

}  // namespace
}  // namespace popyo::test

namespace popyo::test {
namespace {

// Where the monitors fill their bounding box, no part of its border lies on no monitor, and
// the engine does what it does with one desktop of that size: the same script on both gives
// the same places and states at every tick.
TEST(FilledBox, BehavesAsOneDesktopOfItsSize) {
    const MonitorList kFilled[] = {
        {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}},
        {{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}},
        {{0, 0, 1920, 1080},
         {1920, 0, 3840, 1080},
         {0, 1080, 1920, 2160},
         {1920, 1080, 3840, 2160}},
        {{-1920, 0, 0, 1080}, {0, 0, 1920, 1080}},
        {{0, 0, 1280, 1024}, {1280, 0, 3200, 1024}, {3200, 0, 3840, 1024}},
    };
    for (const MonitorList& layout : kFilled) {
        const TRect box = BoundingBox(layout);
        SCOPED_TRACE(::testing::Message() << layout.Count() << " monitors in " << box.Left << ","
                                          << box.Top << "," << box.Right << "," << box.Bottom);
        EngineRig several;
        EngineRig one;
        several.sim.SetMonitors(layout);
        one.sim.SetScreen(box);
        const std::int32_t midX = (box.Left + box.Right) / 2;
        const std::int32_t midY = (box.Top + box.Bottom) / 2;
        // Every edge, seams between monitors and the middle of the box included.
        const std::vector<std::pair<TRect, Edge>> windows = {
            {{box.Left + 100, midY - 150, box.Left + 400, midY + 150}, edLeft},
            {{midX - 150, box.Top + 50, midX + 150, box.Top + 250}, edTop},
            {{midX - 150, box.Bottom - 250, midX + 150, box.Bottom - 50}, edBottom},
            {{box.Right - 400, midY - 150, box.Right - 100, midY + 150}, edRight},
            {{box.Left + 300, box.Bottom - 400, box.Left + 600, box.Bottom - 200}, edRight},
            {{box.Right - 700, box.Top + 300, box.Right - 400, box.Top + 500}, edLeft},
        };
        std::vector<Hwnd> handles;
        for (EngineRig* rig : {&several, &one}) {
            rig->engine.OffTime = 2;
            rig->engine.OnTime = 3;
            for (const auto& [rect, edge] : windows) {
                const Hwnd w = rig->AddRegistered(rect, edge);
                if (rig == &several) {
                    handles.push_back(w);
                }
            }
        }
        auto same = [&](const char* when) {
            for (const Hwnd w : handles) {
                ASSERT_EQ(several.sim.RectOf(w), one.sim.RectOf(w)) << when << ", window " << w;
                ASSERT_EQ(several.Slot(w).Status, one.Slot(w).Status) << when << ", window " << w;
            }
            ASSERT_EQ(several.engine.LastEdge, one.engine.LastEdge) << when;
        };
        auto both = [&](const std::function<void(EngineRig&)>& act, int ticks, const char* when) {
            for (EngineRig* rig : {&several, &one}) {
                act(*rig);
            }
            for (int t = 0; t < ticks; ++t) {
                several.Tick();
                one.Tick();
                same(when);
            }
        };
        const TPoint away{midX + 7, midY + 3};
        both([&](EngineRig& r) { r.sim.cursor = away; }, 30, "hiding");
        const TPoint pushes[] = {{box.Left, midY},
                                 {box.Right - 1, midY},
                                 {midX, box.Top},
                                 {midX, box.Bottom - 1},
                                 {box.Left, box.Top},
                                 {box.Right - 1, box.Bottom - 1},
                                 {box.Left + 1920, box.Top},
                                 {box.Left + 1280, box.Bottom - 1}};
        for (const TPoint p : pushes) {
            both([&](EngineRig& r) { r.sim.cursor = p; }, 8, "pushing");
            both([&](EngineRig& r) { r.sim.cursor = away; }, 20, "leaving");
        }
        for (const Edge e : {edLeft, edTop, edBottom, edRight}) {
            both([&](EngineRig& r) { r.engine.Dispatch(EM_POP, 0, e); }, 6, "popped by message");
        }
        both([&](EngineRig& r) { r.sim.foreground = handles[3]; }, 3, "foreground");
        both([&](EngineRig& r) { r.engine.Dispatch(EM_POP, 0, 0); }, 30, "hide all");
        several.engine.Close();
        one.engine.Close();
        for (const Hwnd w : handles) {
            EXPECT_EQ(several.sim.RectOf(w), one.sim.RectOf(w)) << "after the close, window " << w;
        }
    }
}

}  // namespace
}  // namespace popyo::test
