#include "engine/unitTRegWin.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

#include "platform/SimDesktop.h"

namespace popyo {
namespace {

constexpr TRect kDesk{0, 0, 1920, 1080};
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// One window of another program and its Tregwin, stepped the way the tick steps it: every
// step is followed by Validate, which re-reads the rectangle.
struct Rig {
    explicit Rig(TRect rect, Edge edge, TRect desk = kDesk)
        : sim(desk), wnd(sim.AddWindow(rect)), w(wnd, sim, wide) {
        wide.DeskRect = desk;
        w.Edge = edge;
        w.Status = rsShown;
        w.Validate();
        sim.ClearCalls();
    }
    // The coordinate a slide at this edge moves.
    std::int32_t Across() const {
        const TRect& r = sim.RectOf(wnd);
        return (w.Edge == edTop || w.Edge == edBottom) ? r.Top : r.Left;
    }
    std::int32_t Along() const {
        const TRect& r = sim.RectOf(wnd);
        return (w.Edge == edTop || w.Edge == edBottom) ? r.Left : r.Top;
    }

    SimDesktop sim;
    EngineWide wide;
    Hwnd wnd;
    Tregwin w;
};

struct Step {
    std::int32_t across;
    Status status;
};

struct SlideCase {
    const char* name;
    Edge edge;
    TRect start;
    bool out;  // StepShow; otherwise StepHide
    std::uint8_t toHome;
    TPoint home;
    int steps;
    std::array<Step, 4> expected;
};

// clang-format off
constexpr SlideCase kSlides[] = {
    {"left in", edLeft, {100, 100, 400, 400}, false, 0, {}, 4,
     {{{-50, rsHiding}, {-200, rsHiding}, {-300, rsHiding}, {-300, rsHidden}}}},
    {"top in", edTop, {100, 50, 500, 250}, false, 0, {}, 3,
     {{{-100, rsHiding}, {-200, rsHiding}, {-200, rsHidden}}}},
    {"bottom in", edBottom, {100, 700, 500, 900}, false, 0, {}, 4,
     {{{850, rsHiding}, {1000, rsHiding}, {1080, rsHiding}, {1080, rsHidden}}}},
    {"right in", edRight, {1700, 100, 2000, 400}, false, 0, {}, 3,
     {{{1850, rsHiding}, {1920, rsHiding}, {1920, rsHidden}}}},
    {"left out to edge", edLeft, {-300, 100, 0, 400}, true, 0, {}, 3,
     {{{-150, rsShowing}, {0, rsShown}, {0, rsShown}}}},
    {"top out to edge", edTop, {100, -200, 500, 0}, true, 0, {}, 2,
     {{{-50, rsShowing}, {0, rsShown}}}},
    {"bottom out to edge", edBottom, {100, 1080, 500, 1280}, true, 0, {}, 2,
     {{{930, rsShowing}, {880, rsShown}}}},
    {"right out to edge", edRight, {1920, 100, 2220, 400}, true, 0, {}, 2,
     {{{1770, rsShowing}, {1620, rsShown}}}},
    {"left out to home", edLeft, {-300, 100, 0, 400}, true, 1, {100, 100}, 3,
     {{{-150, rsShowing}, {0, rsShowing}, {100, rsShown}}}},
    {"top out to home", edTop, {100, -200, 500, 0}, true, 1, {100, 50}, 2,
     {{{-50, rsShowing}, {50, rsShown}}}},
    {"bottom out to home", edBottom, {100, 1080, 500, 1280}, true, 1, {100, 700}, 3,
     {{{930, rsShowing}, {780, rsShowing}, {700, rsShown}}}},
    {"right out to home", edRight, {1920, 100, 2220, 400}, true, 1, {1700, 100}, 2,
     {{{1770, rsShowing}, {1700, rsShown}}}},
};
// clang-format on

TEST(TregwinSlide, FourEdgesInAndOut) {
    for (const SlideCase& c : kSlides) {
        SCOPED_TRACE(c.name);
        Rig rig(c.start, c.edge);
        rig.w.ToHome = c.toHome;
        rig.w.HomeX = c.home.X;
        rig.w.HomeY = c.home.Y;
        const std::int32_t along = rig.Along();
        const TRect startRect = rig.sim.RectOf(rig.wnd);
        for (int i = 0; i < c.steps; ++i) {
            SCOPED_TRACE(i);
            rig.sim.ClearCalls();
            const Status got = c.out ? rig.w.StepShow() : rig.w.StepHide();
            EXPECT_EQ(got, c.expected[i].status);
            EXPECT_EQ(rig.Across(), c.expected[i].across);
            EXPECT_EQ(rig.Along(), along);
            // The window keeps its size.
            const TRect& r = rig.sim.RectOf(rig.wnd);
            EXPECT_EQ(r.Right - r.Left, startRect.Right - startRect.Left);
            EXPECT_EQ(r.Bottom - r.Top, startRect.Bottom - startRect.Top);
            // One move per step, sent also when nothing moved: out topmost, in not topmost
            // and without activation.
            const auto moves = rig.sim.CallsOf(CallKind::SetWindowPos);
            ASSERT_EQ(moves.size(), 1u);
            EXPECT_EQ(moves[0].wnd, rig.wnd);
            EXPECT_EQ(moves[0].insertAfter, c.out ? kHwndTopmost : kHwndNoTopmost);
            EXPECT_EQ(moves[0].flags, c.out ? kSwpNoSize : (kSwpNoActivate | kSwpNoSize));
            EXPECT_EQ(rig.sim.Window(rig.wnd).topmost, c.out);
            EXPECT_EQ(rig.sim.Count(CallKind::ShowWindow), 0u);
            rig.w.Validate();
        }
    }
}

// On a desktop that starts left of 0 a left-edge window comes to rest at the first step
// position at or right of the desktop's side; the call after that finds nothing to do.
TEST(TregwinSlide, NegativeOriginDesktopStopsLeftWindowAtFirstStepPastItsSide) {
    Rig rig({-2170, 100, -1920, 400}, edLeft, {-1920, 0, 1920, 1080});
    constexpr Step kExpected[] = {{-2020, rsShowing}, {-1870, rsShowing}, {-1870, rsShown}};
    for (const Step& s : kExpected) {
        EXPECT_EQ(rig.w.StepShow(), s.status);
        EXPECT_EQ(rig.sim.LeftOf(rig.wnd), s.across);
        rig.w.Validate();
    }
    EXPECT_EQ(rig.sim.Count(CallKind::SetWindowPos), 3u);
}

// A side-edge window coming out never stays above the screen; a top or bottom window
// keeps its Left wherever it is.
TEST(TregwinSlide, TopClampedOnlyForSideEdges) {
    struct Case {
        Edge edge;
        TRect start;
        std::uint8_t toHome;
        TPoint expectLeftTop;
    };
    constexpr Case kCases[] = {
        {edLeft, {-300, -40, 0, 260}, 0, {-150, 0}},
        {edLeft, {-300, -40, 0, 260}, 1, {-150, 0}},
        {edRight, {1920, -40, 2220, 260}, 0, {1770, 0}},
        {edRight, {1920, -40, 2220, 260}, 1, {1770, 0}},
        {edTop, {-40, -200, 360, 0}, 0, {-40, -50}},
        {edBottom, {-40, 1080, 360, 1280}, 0, {-40, 930}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "edge " << int{c.edge} << " toHome " << int{c.toHome});
        Rig rig(c.start, c.edge);
        rig.w.ToHome = c.toHome;
        rig.w.HomeX = 100;
        rig.w.HomeY = 100;
        EXPECT_EQ(rig.w.StepShow(), rsShowing);
        EXPECT_EQ(rig.sim.LeftOf(rig.wnd), c.expectLeftTop.X);
        EXPECT_EQ(rig.sim.TopOf(rig.wnd), c.expectLeftTop.Y);
    }
}

// An edge that names no side, or a ToHome that names no target, slides nothing but still
// sends the window where it stands.
TEST(TregwinSlide, NoSideOrNoTargetSendsPositionWithoutMoving) {
    struct Case {
        std::uint8_t edge;
        std::uint8_t toHome;
    };
    constexpr Case kCases[] = {{5, 0}, {8, 1}, {255, 0}, {edLeft, 2}, {edBottom, 255}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "edge " << int{c.edge} << " toHome " << int{c.toHome});
        Rig rig({-300, 100, 0, 400}, static_cast<Edge>(c.edge));
        rig.w.ToHome = c.toHome;
        EXPECT_EQ(rig.w.StepShow(), rsShown);
        if (c.edge > edRight) {
            EXPECT_EQ(rig.w.StepHide(), rsHidden);
        }
        for (const Call& move : rig.sim.CallsOf(CallKind::SetWindowPos)) {
            EXPECT_EQ(move.x, -300);
            EXPECT_EQ(move.y, 100);
        }
        EXPECT_EQ(rig.sim.Count(CallKind::SetWindowPos), c.edge > edRight ? 2u : 1u);
    }
}

TEST(TregwinSlide, MaximizedWindowHidesRestoredAndComesBackMaximized) {
    Rig rig({200, 150, 800, 550}, edLeft);
    rig.sim.Maximize(rig.wnd);
    rig.w.Validate();
    rig.w.HomeRect = {1, 2, 3, 4};

    rig.w.StartHide();
    EXPECT_EQ(rig.w.Status, rsHiding);
    EXPECT_EQ(rig.w.HomeRect, (TRect{200, 150, 800, 550}));
    EXPECT_NE(rig.w.Style & kWsMaximize, 0u);
    EXPECT_EQ(rig.sim.RectOf(rig.wnd), (TRect{200, 150, 800, 550}));

    Status s = rsHiding;
    for (int i = 0; i < 20 && s == rsHiding; ++i) {
        s = rig.w.StepHide();
        rig.w.Validate();
    }
    ASSERT_EQ(s, rsHidden);
    EXPECT_EQ(rig.sim.RectOf(rig.wnd), (TRect{-600, 150, 0, 550}));
    EXPECT_EQ(rig.sim.Window(rig.wnd).style & kWsMaximize, 0u);

    rig.sim.ClearCalls();
    s = rsShowing;
    int steps = 0;
    for (; steps < 20 && s == rsShowing; ++steps) {
        EXPECT_EQ(rig.sim.Window(rig.wnd).style & kWsMaximize, 0u) << "maximized too early";
        s = rig.w.StepShow();
        rig.w.Validate();
    }
    ASSERT_EQ(s, rsShown);
    EXPECT_EQ(steps, 4);
    const auto shows = rig.sim.CallsOf(CallKind::ShowWindow);
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].x, kSwShowMaximized);
    EXPECT_NE(rig.sim.Window(rig.wnd).style & kWsMaximize, 0u);
}

// A window maximized by its user while it hides is restored by the next hide step.
TEST(TregwinSlide, StepHideRestoresWindowMaximizedMeanwhile) {
    Rig rig({200, 150, 800, 550}, edLeft);
    rig.w.StartHide();
    rig.sim.Maximize(rig.wnd);
    EXPECT_EQ(rig.w.StepHide(), rsHiding);
    EXPECT_EQ(rig.w.HomeRect, (TRect{200, 150, 800, 550}));
    EXPECT_EQ(rig.sim.RectOf(rig.wnd), (TRect{50, 150, 650, 550}));
}

TEST(TregwinContainsPoint, MarginOnEverySideBoundsInclusive) {
    struct Case {
        TPoint p;
        bool inside;
    };
    constexpr Case kCases[] = {
        {{85, 85}, true},   {{415, 315}, true},  {{85, 315}, true},   {{415, 85}, true},
        {{84, 200}, false}, {{416, 200}, false}, {{200, 84}, false},  {{200, 316}, false},
        {{250, 200}, true}, {{84, 84}, false},   {{416, 316}, false},
    };
    Rig rig({100, 100, 400, 300}, edLeft);
    for (const Case& c : kCases) {
        EXPECT_EQ(rig.w.ContainsPoint(c.p), c.inside) << c.p.X << "," << c.p.Y;
    }
    // The margin is read afresh at every call.
    rig.wide.OutMargin = 0;
    EXPECT_FALSE(rig.w.ContainsPoint({85, 85}));
    EXPECT_TRUE(rig.w.ContainsPoint({400, 300}));
}

TEST(TregwinValidate, MinimizedOrInvisibleKeepsEverythingButStatus) {
    for (const bool minimize : {true, false}) {
        SCOPED_TRACE(minimize ? "minimized" : "invisible");
        Rig rig({100, 100, 400, 300}, edBottom);
        if (minimize) {
            rig.sim.Minimize(rig.wnd);
        } else {
            rig.sim.SetVisible(rig.wnd, false);
        }
        EXPECT_EQ(rig.w.Validate(), edBottom);
        EXPECT_EQ(rig.w.Status, rsMinimized);
        EXPECT_EQ(rig.w.Rect, (TRect{100, 100, 400, 300}));
        EXPECT_EQ(rig.w.Wnd, rig.wnd);
        EXPECT_EQ(rig.w.Edge, edBottom);
        // Validate never takes a window out of rsMinimized.
        rig.sim.ShowWindow(rig.wnd, kSwRestore);
        rig.sim.SetVisible(rig.wnd, true);
        EXPECT_EQ(rig.w.Validate(), edBottom);
        EXPECT_EQ(rig.w.Status, rsMinimized);
    }
}

TEST(TregwinValidate, DestroyedWindowFreesSlot) {
    Rig rig({100, 100, 400, 300}, edRight);
    rig.sim.Destroy(rig.wnd);
    EXPECT_EQ(rig.w.Validate(), edNone);
    EXPECT_EQ(rig.w.Wnd, 0u);
    EXPECT_EQ(rig.w.Edge, edNone);
    // A freed slot stays free and names no window.
    rig.sim.ClearCalls();
    EXPECT_EQ(rig.w.Validate(), edNone);
    EXPECT_EQ(rig.sim.TotalCalls(), 0u);
}

TEST(TregwinNoCall, FreedSlotAndParkedWindowMakeNoMove) {
    {
        SCOPED_TRACE("edge none");
        Rig rig({100, 100, 400, 300}, edNone);
        EXPECT_EQ(rig.w.StepHide(), rsHidden);
        EXPECT_EQ(rig.sim.TotalCalls(), 0u);
    }
    {
        SCOPED_TRACE("parked far left");
        Rig rig({-25000, 100, -24700, 300}, edLeft);
        EXPECT_EQ(rig.w.StepShow(), rsShowing);
        EXPECT_EQ(rig.sim.TotalCalls(), 0u);
        EXPECT_EQ(rig.w.StepHide(), rsHiding);
        EXPECT_EQ(rig.sim.Count(CallKind::SetWindowPos), 0u);
        EXPECT_EQ(rig.sim.LeftOf(rig.wnd), -25000);
    }
}

// A step of 0, a negative step or a step of 2^31-1 from the settings file must not
// overflow anywhere (the sanitizers watch); the largest step reaches the end at once, and
// a step below one pixel still moves the window one pixel towards its edge.
TEST(TregwinSlide, AbsurdMoveStepsStayDefined) {
    constexpr std::int32_t kSteps[] = {0, -150, kMin, kMax};
    constexpr TRect kStarts[] = {{},
                                 {100, 100, 400, 400},
                                 {100, 50, 500, 250},
                                 {100, 700, 500, 900},
                                 {1700, 100, 2000, 400}};
    for (const std::int32_t step : kSteps) {
        for (std::uint8_t edge = edLeft; edge <= edRight; ++edge) {
            for (std::uint8_t toHome = 0; toHome <= 1; ++toHome) {
                SCOPED_TRACE(testing::Message() << "step " << step << " edge " << int{edge}
                                                << " toHome " << int{toHome});
                Rig rig(kStarts[edge], static_cast<Edge>(edge));
                rig.wide.MoveStep = step;
                rig.wide.OutMargin = kMax;
                rig.w.ToHome = toHome;
                rig.w.HomeX = kStarts[edge].Left;
                rig.w.HomeY = kStarts[edge].Top;
                const TRect before = rig.sim.RectOf(rig.wnd);
                rig.w.StartHide();
                Status s = rsHiding;
                for (int i = 0; i < 4; ++i) {
                    s = rig.w.StepHide();
                    rig.w.Validate();
                }
                if (step <= 0) {
                    const TRect after = rig.sim.RectOf(rig.wnd);
                    const std::int32_t moved = (edge == edLeft || edge == edRight)
                                                   ? after.Left - before.Left
                                                   : after.Top - before.Top;
                    const bool towardsNearSide = edge == edLeft || edge == edTop;
                    EXPECT_EQ(s, rsHiding);
                    EXPECT_EQ(moved, towardsNearSide ? -4 : 4);
                }
                if (step == kMax) {
                    EXPECT_EQ(s, rsHidden);
                }
                for (int i = 0; i < 4; ++i) {
                    s = rig.w.StepShow();
                    rig.w.Validate();
                }
                EXPECT_TRUE(s == rsShowing || s == rsShown);
                if (step == kMax) {
                    EXPECT_EQ(s, rsShown);
                }
                EXPECT_TRUE(rig.w.ContainsPoint({0, 0}));
            }
        }
    }
}

}  // namespace
}  // namespace popyo
