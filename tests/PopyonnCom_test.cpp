#include "engine/PopyonnCom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/SimDesktop.h"

namespace popyo {
namespace {

constexpr std::uint32_t kPrevThread = 5;
constexpr std::uint32_t kTargetThread = 7;

struct Rig {
    explicit Rig(std::uint32_t lockTimeout = 200000) {
        prev = sim.AddWindow({0, 0, 100, 100}, "Prev", "", kPrevThread);
        target = sim.AddWindow({200, 0, 300, 100}, "Target", "", kTargetThread);
        sim.foreground = prev;
        sim.lockTimeout = lockTimeout;
    }
    SimDesktop sim;
    Hwnd prev = 0;
    Hwnd target = 0;
};

TEST(ForceForeground, TargetAlreadyInFrontMakesNoOtherCall) {
    Rig rig;
    rig.sim.foreground = rig.target;
    EXPECT_EQ(ForceForeground(rig.sim, rig.target), rig.target);
    const std::vector<Call> expected = {{CallKind::GetForegroundWindow}};
    EXPECT_EQ(rig.sim.calls, expected);
}

// Only the foreground read back decides whether to try again: at most 100 retries, one
// sleep of 1 ms before each.
TEST(ForceForeground, RetriesUntilInFrontOrOutOfRetries) {
    struct Case {
        const char* name;
        int refusals;  // -1: every attempt is refused
        std::uint64_t setCalls;
        std::uint64_t sleeps;
        bool inFront;
    };
    constexpr Case kCases[] = {
        {"first try", 0, 1, 0, true},
        {"after one retry", 1, 2, 1, true},
        {"after the third retry", 3, 4, 3, true},
        {"at the last retry", 100, 101, 100, true},
        {"one refusal too many", 101, 101, 100, false},
        {"never", -1, 101, 100, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.sim.foregroundRefusals = c.refusals;
        EXPECT_EQ(ForceForeground(rig.sim, rig.target), rig.prev);
        EXPECT_EQ(rig.sim.Count(CallKind::SetForegroundWindow), c.setCalls);
        EXPECT_EQ(rig.sim.Count(CallKind::Sleep), c.sleeps);
        for (const Call& s : rig.sim.CallsOf(CallKind::Sleep)) {
            EXPECT_EQ(s.x, 1);
        }
        for (const Call& s : rig.sim.CallsOf(CallKind::SetForegroundWindow)) {
            EXPECT_EQ(s.wnd, rig.target);
        }
        EXPECT_EQ(rig.sim.foreground, c.inFront ? rig.target : rig.prev);
        EXPECT_EQ(rig.sim.lockTimeout, 200000u);
        EXPECT_TRUE(rig.sim.attachedInputs.empty());
        const std::vector<Call> attaches = {
            {CallKind::AttachThreadInput, 0, 0, kTargetThread, kPrevThread, 1},
            {CallKind::AttachThreadInput, 0, 0, kTargetThread, kPrevThread, 0},
        };
        EXPECT_EQ(rig.sim.CallsOf(CallKind::AttachThreadInput), attaches);
    }
}

TEST(ForceForeground, LockTimeoutIsTheSameAfterTheCall) {
    for (const std::uint32_t timeout : {0u, 200000u, 0xFFFFFFFFu}) {
        for (const int refusals : {0, -1}) {
            SCOPED_TRACE(testing::Message() << timeout << " refusals " << refusals);
            Rig rig(timeout);
            rig.sim.foregroundRefusals = refusals;
            ForceForeground(rig.sim, rig.target);
            EXPECT_EQ(rig.sim.lockTimeout, timeout);
            const auto sets = rig.sim.CallsOf(CallKind::SetForegroundLockTimeout);
            ASSERT_EQ(sets.size(), 2u);
            EXPECT_EQ(sets[0].x, 0);
            EXPECT_EQ(static_cast<std::uint32_t>(sets[1].x), timeout);
        }
    }
}

// Attach, lower the timeout, force, restore the timeout, detach.
TEST(ForceForeground, CallsComeInTheFixedOrder) {
    Rig rig;
    rig.sim.foregroundRefusals = 1;
    ForceForeground(rig.sim, rig.target);
    const Hwnd t = rig.target;
    const std::vector<Call> expected = {
        {CallKind::GetForegroundWindow},
        {CallKind::GetWindowThreadProcessId, rig.prev},
        {CallKind::GetWindowThreadProcessId, t},
        {CallKind::AttachThreadInput, 0, 0, kTargetThread, kPrevThread, 1},
        {CallKind::GetForegroundLockTimeout},
        {CallKind::SetForegroundLockTimeout, 0, 0, 0},
        {CallKind::SetForegroundWindow, t},
        {CallKind::GetForegroundWindow},
        {CallKind::Sleep, 0, 0, 1},
        {CallKind::SetForegroundWindow, t},
        {CallKind::GetForegroundWindow},
        {CallKind::SetForegroundLockTimeout, 0, 0, 200000},
        {CallKind::AttachThreadInput, 0, 0, kTargetThread, kPrevThread, 0},
    };
    EXPECT_EQ(rig.sim.calls, expected);
}

// With nothing in front the attach has no partner; the forcing still runs.
TEST(ForceForeground, NoForegroundWindow) {
    Rig rig;
    rig.sim.foreground = 0;
    EXPECT_EQ(ForceForeground(rig.sim, rig.target), 0u);
    EXPECT_EQ(rig.sim.foreground, rig.target);
    EXPECT_TRUE(rig.sim.attachedInputs.empty());
}

}  // namespace
}  // namespace popyo
