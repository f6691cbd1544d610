// A program that stops taking messages holds up no other window: on a desktop where one
// sleeps, every other window pops, slides and goes home on the same ticks, to the same
// places, as on one where nothing sleeps; no call waits for the sleeper, and once it wakes it
// takes what was asked of it, in order, and ends where it would have.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "protocol/PopyoDef.h"
#include "tests/support/EngineFixture.h"

namespace popyo::test {
namespace {

struct Scene {
    explicit Scene(bool hang) {
        rig.engine.OffTime = 0;
        sleeper = rig.AddHidden({-300, 300, 0, 500}, edLeft);
        awake = rig.AddHidden({1920, 300, 2220, 500}, edRight);
        // The sleeper is on its way out, and the user's foreground, when its program stops.
        rig.engine.Dispatch(EM_POP, 0, edLeft);
        rig.Tick();
        rig.sim.foreground = sleeper;
        if (hang) {
            rig.sim.Hang(sleeper);
        }
    }
    // What the awake window went through: its status and place after each tick.
    std::vector<std::pair<std::uint8_t, TRect>> Trace(int ticks) {
        std::vector<std::pair<std::uint8_t, TRect>> trace;
        for (int i = 0; i < ticks; ++i) {
            rig.Tick();
            trace.emplace_back(rig.engine.GetWindowStatus(awake), rig.sim.RectOf(awake));
        }
        return trace;
    }
    void Close() {
        bool canClose = false;
        rig.engine.FormCloseQuery(canClose);
    }

    EngineRig rig;
    Hwnd sleeper = 0;
    Hwnd awake = 0;
};

TEST(HungWindow, HoldsUpNoOtherWindow) {
    struct Case {
        const char* name;
        std::function<void(Scene&)> act;
    };
    const Case kCases[] = {
        // The awake window comes out and takes the foreground from the sleeper.
        {"a pop at another edge", [](Scene& s) { s.rig.engine.Dispatch(EM_POP, 0, edRight); }},
        {"a push at another edge",
         [](Scene& s) {
             s.rig.sim.cursor = {1919, 400};
         }},
        {"the engine closes", [](Scene& s) { s.Close(); }},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Scene calm(false);
        Scene hung(true);
        const TRect sleeperBefore = hung.rig.sim.RectOf(hung.sleeper);
        c.act(calm);
        c.act(hung);
        EXPECT_EQ(hung.Trace(30), calm.Trace(30));
        EXPECT_EQ(hung.rig.sim.blockedCalls, 0);
        EXPECT_EQ(hung.rig.sim.RectOf(hung.sleeper), sleeperBefore) << "moved while asleep";

        hung.rig.sim.Wake(hung.sleeper);
        hung.Trace(30);
        calm.Trace(30);
        hung.Close();
        calm.Close();
        EXPECT_EQ(hung.rig.sim.RectOf(hung.sleeper), calm.rig.sim.RectOf(calm.sleeper));
        // Registered beyond the edge, its home is the nearest place on the desktop.
        EXPECT_EQ(hung.rig.sim.RectOf(hung.sleeper), (TRect{0, 300, 300, 500}));
        EXPECT_EQ(hung.rig.sim.RectOf(hung.awake), calm.rig.sim.RectOf(calm.awake));
    }
}

}  // namespace
}  // namespace popyo::test
