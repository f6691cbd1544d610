// Frames between ticks, on the simulated desktop with a virtual clock: the engine's message
// loop is played millisecond by millisecond, with Timer1 every 50 ms and Timer2 when due.
#include "engine/SlideFrames.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

struct Move {
    std::int64_t ms;
    TPoint at;
    bool operator==(const Move&) const = default;
};

void PrintTo(const Move& m, std::ostream* os) {
    *os << m.ms << "ms:" << m.at.X << "," << m.at.Y;
}

// Plays the engine's message loop for `ms` milliseconds from the clock's present reading: a
// tick every 50 ms from the start, Timer2 whenever it is due. Answers where `wnd` was moved.
std::vector<Move> Play(EngineRig& rig, Hwnd wnd, std::int64_t ms) {
    std::vector<Move> moves;
    const std::int64_t start = rig.sim.nowMicros;
    for (std::int64_t t = 0; t < ms; ++t) {
        rig.sim.nowMicros = start + t * 1000;
        const std::size_t before = rig.sim.calls.size();
        if (t % 50 == 0) {
            rig.engine.Timer1Timer();
        } else if (rig.sim.timer2Due && *rig.sim.timer2Due <= rig.sim.nowMicros) {
            rig.sim.timer2Due.reset();
            rig.engine.Timer2Timer();
        }
        for (std::size_t i = before; i < rig.sim.calls.size(); ++i) {
            const Call& c = rig.sim.calls[i];
            if (c.kind == CallKind::SetWindowPos && c.wnd == wnd &&
                (moves.empty() || moves.back().at != TPoint{c.x, c.y})) {
                moves.push_back({t, {c.x, c.y}});
            }
        }
    }
    rig.sim.nowMicros = start + ms * 1000;
    return moves;
}

class SlideFramesTest : public EngineTest {
  protected:
    void SetFrames(int frames) { engine.Wide.Options.Set(opSlideFrames, frames); }
};

TEST(SlideFramePlace, OnTheLineRoundedTowardTheStart) {
    struct Case {
        TPoint from;
        TPoint to;
        int frames;
        std::vector<TPoint> places;
    };
    const Case kCases[] = {
        {{-250, 100}, {-100, 100}, 3, {{-200, 100}, {-150, 100}}},
        {{-100, 100}, {0, 100}, 3, {{-67, 100}, {-34, 100}}},
        {{1850, 0}, {1920, 0}, 4, {{1867, 0}, {1885, 0}, {1902, 0}}},
        {{0, 7}, {0, 0}, 2, {{0, 4}}},
    };
    for (const Case& c : kCases) {
        for (int k = 1; k < c.frames; ++k) {
            EXPECT_EQ(SlideFrames::Place(c.from, c.to, k, c.frames), c.places[k - 1]) << k;
        }
    }
}

// Three frames a tick: at each tick the window stands where a bare engine puts it, and the
// frames between lie a third and two thirds of the way to the next tick's place. The last
// step, shortened, is split the same way; a window that has arrived draws no frames.
TEST_F(SlideFramesTest, EachEdgeTickPlacesAndFramesBetween) {
    struct Case {
        const char* name;
        Edge edge;
        TRect start;
        bool hide;  // else it is tucked away and popped
        std::vector<Move> moves;
    };
    const Case kCases[] = {
        {"left, out",
         edLeft,
         {-400, 100, 0, 400},
         false,
         {{0, {-250, 100}},
          {17, {-200, 100}},
          {34, {-150, 100}},
          {50, {-100, 100}},
          {67, {-67, 100}},
          {84, {-34, 100}},
          {100, {0, 100}}}},
        {"right, in",
         edRight,
         {1500, 300, 1800, 500},
         true,
         {{0, {1650, 300}},
          {17, {1700, 300}},
          {34, {1750, 300}},
          {50, {1800, 300}},
          {67, {1840, 300}},
          {84, {1880, 300}},
          {100, {1920, 300}}}},
        {"top, in",
         edTop,
         {700, 100, 1000, 300},
         true,
         {{0, {700, -50}}, {17, {700, -100}}, {34, {700, -150}}, {50, {700, -200}}}},
        {"bottom, out",
         edBottom,
         {700, 1080, 1000, 1280},
         false,
         {{0, {700, 930}}, {17, {700, 914}}, {34, {700, 897}}, {50, {700, 880}}}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.Wide.Options.Set(opSlideFrames, 3);
        const Hwnd w = c.hide ? rig.AddRegistered(c.start, c.edge) : rig.AddHidden(c.start, c.edge);
        rig.engine.Dispatch(c.hide ? EM_HIDE : EM_POP, c.hide ? w : 0, c.hide ? 0 : c.edge);
        rig.sim.ClearCalls();
        EXPECT_EQ(Play(rig, w, 300), c.moves);
        EXPECT_EQ(rig.Slot(w).Status, c.hide ? rsHidden : rsShown);
        EXPECT_FALSE(rig.sim.timer2Due.has_value()) << "frames stop once nothing slides";
    }
}

// With one frame a tick, and at the ticks with three, every move, state and foreground is a
// bare engine's.
TEST(SlideFramesOne, TickPlacesAreTheBareEnginesAtAnyFrameCount) {
    auto run = [](int frames) {
        EngineRig rig;
        rig.engine.Wide.Options.Set(opSlideFrames, frames);
        const Hwnd a = rig.AddRegistered({100, 100, 500, 400}, edLeft);
        const Hwnd b = rig.AddRegistered({1500, 500, 1800, 800}, edRight);
        std::vector<Call> tickMoves;
        const std::vector<TPoint> path = {kNowhere, {0, 250}, {300, 200}, {1919, 600}, kNowhere};
        std::int64_t t = 0;
        for (const TPoint& at : path) {
            rig.sim.cursor = at;
            for (int tick = 0; tick < 20; ++tick, t += 50) {
                rig.sim.ClearCalls();
                rig.sim.nowMicros = t * 1000;
                rig.engine.Timer1Timer();
                for (const Call& c : rig.sim.calls) {
                    if (c.kind == CallKind::SetWindowPos || c.kind == CallKind::ShowWindow ||
                        c.kind == CallKind::SetForegroundWindow) {
                        tickMoves.push_back(c);
                    }
                }
                for (int f = 1; f < frames; ++f) {
                    rig.sim.nowMicros = (t + 50 * f / frames + 1) * 1000;
                    rig.engine.Timer2Timer();
                }
                tickMoves.push_back(
                    {CallKind::Other, a, 0, rig.Slot(a).Status, rig.Slot(b).Status});
            }
        }
        return tickMoves;
    };
    const auto bare = run(1);
    EXPECT_EQ(run(3), bare);
    EXPECT_EQ(run(8), bare);
}

// Between ticks nothing changes but the place: a query answers the tick's status, a window
// released, told to hide or moved by its user is left alone, and a button held down stops
// every frame.
TEST_F(SlideFramesTest, WhatHappensBetweenTicksStopsTheFrames) {
    enum Between { kQuery, kRelease, kHide, kUserMoves, kButtonDown };
    struct Case {
        const char* name;
        Between between;
    };
    const Case kCases[] = {{"status query", kQuery},
                           {"release", kRelease},
                           {"hide request", kHide},
                           {"the user moves it", kUserMoves},
                           {"a button held down", kButtonDown}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.Wide.Options.Set(opSlideFrames, 3);
        const Hwnd w = rig.AddHidden({-400, 100, 0, 400}, edLeft);
        rig.engine.Dispatch(EM_POP, 0, edLeft);
        rig.engine.Timer1Timer();
        ASSERT_EQ(rig.sim.LeftOf(w), -250);
        rig.sim.nowMicros = 17000;
        rig.engine.Timer2Timer();
        ASSERT_EQ(rig.sim.LeftOf(w), -200);
        switch (c.between) {
            case kQuery:
                EXPECT_EQ(rig.engine.Dispatch(EM_GETSTATUS, w, 0), rsShowing);
                break;
            case kRelease:
                rig.engine.Dispatch(EM_REGISTER, w, 0);
                break;
            case kHide:
                rig.engine.Dispatch(EM_HIDE, w, 0);
                break;
            case kUserMoves:
                rig.sim.MoveTo(w, 300, 300);
                break;
            case kButtonDown:
                rig.sim.keysDown.insert(kVkLButton);
                break;
        }
        const TRect stood = rig.sim.RectOf(w);
        rig.sim.ClearCalls();
        rig.sim.nowMicros = 34000;
        rig.engine.Timer2Timer();
        if (c.between == kQuery) {
            EXPECT_EQ(rig.sim.LeftOf(w), -150);
        } else {
            EXPECT_EQ(rig.sim.RectOf(w), stood);
            EXPECT_EQ(rig.sim.Count(CallKind::SetWindowPos), 0u);
        }
    }
}

// A frame's move waits for the window's program, which lets other messages in. One that
// opens the settings dialog stops the frames there: no other window gets the rest of them.
// (The fuzzer found this; before, the frames went on over the list the dialog had emptied.)
TEST_F(SlideFramesTest, AMessageInsideAFramesMoveCanStopTheFrames) {
    SetFrames(3);
    const Hwnd a = AddRegistered({100, 100, 500, 400}, edLeft);
    const Hwnd b = AddRegistered({100, 500, 500, 800}, edLeft);
    engine.Dispatch(EM_HIDE, a, 0);
    engine.Dispatch(EM_HIDE, b, 0);
    engine.Timer1Timer();
    ASSERT_EQ(Slot(a).Status, rsHiding);
    ASSERT_EQ(Slot(b).Status, rsHiding);
    bool opened = false;
    settingsDialogScript = [&](TForm2& dialog) {
        opened = true;
        dialog.cmdCancelClick();
    };
    const TRect bBefore = sim.RectOf(b);
    sim.onCall = [&](const Call& call) {
        if (call.kind == CallKind::SetWindowPos && call.wnd == a && !opened) {
            engine.Dispatch(EM_SETTINGS, 0, 0);
        }
    };
    sim.nowMicros += 17000;
    engine.Timer2Timer();
    sim.onCall = nullptr;
    EXPECT_TRUE(opened);
    EXPECT_EQ(sim.RectOf(b), bBefore);
}

// The next tick steps from where the last tick put the window, not from where a frame took
// it; but a window its user moved steps from where it now stands, as without frames.
TEST_F(SlideFramesTest, TheNextTickStepsFromTheTicksPlace) {
    SetFrames(3);
    const Hwnd w = AddHidden({-400, 100, 0, 400}, edLeft);
    engine.Dispatch(EM_POP, 0, edLeft);
    Play(*this, w, 50);
    EXPECT_EQ(sim.LeftOf(w), -150) << "the last frame";
    engine.Timer1Timer();
    EXPECT_EQ(sim.LeftOf(w), -100);

    sim.nowMicros += 17000;
    engine.Timer2Timer();
    sim.MoveTo(w, -300, 100);
    sim.nowMicros += 33000;
    engine.Timer1Timer();
    EXPECT_EQ(sim.LeftOf(w), -150);
}

// An idle engine with frames on costs what it costs without: no timer, no extra call.
TEST_F(SlideFramesTest, NoFramesWhileNothingSlides) {
    AddHidden({-400, 100, 0, 400}, edLeft);
    Tick(3);
    sim.ClearCalls();
    Tick(40);
    const std::uint64_t bare = sim.TotalCalls();
    SetFrames(8);
    sim.ClearCalls();
    Tick(40);
    EXPECT_EQ(sim.TotalCalls(), bare);
    EXPECT_FALSE(sim.timer2Due.has_value());
}

}  // namespace
}  // namespace popyo::test
