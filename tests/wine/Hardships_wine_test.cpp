// The real engine among programs that misbehave as real ones do, under Wine: a program that
// stops taking messages holds up no other window and no control message, and takes its
// moves home when it wakes; a shell that ends and starts again is read again.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A push waits half a second; a window the cursor leaves hides at once, and one that comes out
// while the cursor is elsewhere stays out.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=10\r\nOffTime=0\r\n"
    "OutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\nChangePopyonStyle=False\r\n";

constexpr RECT kSleeperHome{100, 300, 400, 600};
constexpr RECT kAwakeHome{1500, 300, 1800, 600};
constexpr POINT kAway{960, 100};
// Long enough that whatever waited for the sleeper would show; short enough for a test.
constexpr auto kSleep = 6s;

// One window in a program that will sleep, one in a program that stays awake, both tucked
// away: the sleeper at the left edge, the other at the right.
class HungProgram : public EngineSession {
  protected:
    void TuckBothAway() {
        ASSERT_TRUE(MoveCursorTo(kAway));
        StartEngine(kSettings);
        Register(sleeper_[0], edLeft);
        Register(awake_[0], edRight);
        ASSERT_TRUE(WaitStatus(sleeper_[0], rsHidden));
        ASSERT_TRUE(WaitStatus(awake_[0], rsHidden));
    }
    void FallAsleep() {
        ASSERT_TRUE(sleeper_.Sleep(kSleep)) << "the sleeper still answers";
        asleepSince_ = Clock::now();
    }
    // Still inside the sleep, with a second to spare for the test's own reads.
    bool StillAsleep() const { return Clock::now() - asleepSince_ < kSleep - 1s; }
    bool WaitHome(HWND wnd, const RECT& home, milliseconds timeout) const {
        return PollUntil([&] { return SameRect(WindowRect(wnd), home); }, timeout);
    }

    ForeignWindows sleeper_{{{L"sleeper", kSleeperHome}}};
    ForeignWindows awake_{{{L"awake", kAwakeHome}}};
    Clock::time_point asleepSince_;
};

TEST_F(HungProgram, OtherWindowsSlideOnTimeAndMessagesAreServed) {
    ASSERT_NO_FATAL_FAILURE(TuckBothAway());
    ASSERT_NO_FATAL_FAILURE(FallAsleep());
    ASSERT_EQ(Send(EM_POP, nullptr, edLeft), LRESULT{0});
    // A request waits for the next tick; the sleeper's slide then pauses where it stands.
    ASSERT_TRUE(PollUntil([&] { return StatusOf(sleeper_[0]) == LRESULT{rsShowing}; }, 2s));
    // Posted, the request waits for the engine's own loop, which no sleeper holds up.
    ASSERT_TRUE(::PostMessageW(engineWnd_, EM_POP, 0, edRight));
    EXPECT_TRUE(PollUntil([&] { return StatusOf(awake_[0]) == LRESULT{rsShown}; }, 2s))
        << "the awake window is at " << WindowRect(awake_[0]).left;
    // Its last move, made before the report, lands when its program gets to it.
    EXPECT_TRUE(WaitForMovesToLand(awake_[0]));
    EXPECT_EQ(WindowRect(awake_[0]).left, 1920 - 300);
    EXPECT_TRUE(StillAsleep());
    // The sleeper slides out once it wakes.
    EXPECT_TRUE(PollUntil(
        [&] {
            return StatusOf(sleeper_[0]) == LRESULT{rsShown} && WindowRect(sleeper_[0]).left == 0;
        },
        kSleep + kSlideTimeout))
        << "status " << StatusOf(sleeper_[0]).value_or(-1) << " at "
        << WindowRect(sleeper_[0]).left;
}

// A detach and a close put every awake window home at once and end the engine without
// waiting; the sleeper goes home when it wakes, after the engine has ended.
TEST_F(HungProgram, ClosingPutsTheOthersHomeAtOnceAndTheSleeperWhenItWakes) {
    for (const bool detach : {true, false}) {
        SCOPED_TRACE(detach ? "detach" : "WM_CLOSE");
        ForeignWindows frontEnd({{L"front-end", {700, 700, 900, 800}}});
        ASSERT_NO_FATAL_FAILURE(TuckBothAway());
        ASSERT_EQ(Send(EM_ATTACH, frontEnd[0], 1), LRESULT{1});
        ASSERT_NO_FATAL_FAILURE(FallAsleep());
        if (detach) {
            EXPECT_EQ(Send(EM_DETACH, frontEnd[0]), LRESULT{0});
        } else {
            ASSERT_TRUE(::PostMessageW(engineWnd_, WM_CLOSE, 0, 0));
        }
        EXPECT_TRUE(WaitHome(awake_[0], kAwakeHome, 2s)) << "the awake window stayed away";
        EXPECT_TRUE(engine_.value().WaitForExit(2s)) << "the engine waited for the sleeper";
        EXPECT_TRUE(StillAsleep());
        EXPECT_TRUE(WaitHome(sleeper_[0], kSleeperHome, kSleep + kReplyTimeout))
            << "the sleeper stayed away";
    }
}

// ---- The shell ends and starts again ----

using ShellRestart = EngineSession;

// A restarted shell's desktop window is a new one, here with its left side at 200; the
// engine reads it, and a push at x = 200 pops the window of the left edge. Once without a
// word from the shell (found at a reading of the desktop), once announced.
TEST_F(ShellRestart, APushAtTheNewDesktopsSidePops) {
    for (const bool announced : {false, true}) {
        SCOPED_TRACE(announced ? "announced" : "found at a reading");
        std::optional<ProgmanStub> shell;
        shell.emplace();
        ForeignWindows windows({{L"left", kSleeperHome}});
        ASSERT_TRUE(MoveCursorTo(kAway));
        StartEngine(kSettings);
        Register(windows[0], edLeft);
        ASSERT_TRUE(WaitStatus(windows[0], rsHidden));

        shell.reset();
        PumpFor(1500ms);
        shell.emplace(announced ? L"left=200 announce" : L"left=200");
        ASSERT_TRUE(MoveCursorTo({200, 450}));
        EXPECT_TRUE(WaitStatus(windows[0], rsShown)) << "no pop at the new side";
        ASSERT_EQ(Send(EM_REGISTER, windows[0], 0), LRESULT{0});
        ASSERT_TRUE(::PostMessageW(engineWnd_, WM_CLOSE, 0, 0));
        ASSERT_TRUE(engine_.value().WaitForExit(kExitTimeout));
    }
}

}  // namespace
}  // namespace popyo::wine
