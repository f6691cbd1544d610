// What the Wine harness itself promises the other suites: a crashing program ends at once
// instead of waiting in a crash dialog, and a cursor move holds even when Wine's record of
// the cursor has gone stale.
#include <gtest/gtest.h>

#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;

// Wine reports the fault and its address on the Unix side's stderr, which CTest shows with
// the failing test; the program's own status says it failed.
TEST(CrashingProgram, EndsAtOnceWithAFailingStatus) {
    const ConsoleResult r = RunConsole(BinDir() / L"NullDeref.exe", L"", 10s);
    ASSERT_TRUE(r.exitCode.has_value()) << "still running after 10 s: a crash dialog waits";
    EXPECT_NE(*r.exitCode, 0u);
}

// cursor_moves_test.sh runs this twice and moves the X pointer behind Wine's back in
// between: the second run sets the point Wine still has on record.
TEST(CursorMoves, ReachesThePointAndStaysThere) {
    constexpr POINT kPoint{321, 234};
    ASSERT_TRUE(MoveCursorTo(kPoint));
    PumpFor(300ms);
    POINT now{};
    ASSERT_TRUE(::GetCursorPos(&now));
    EXPECT_EQ(now.x, kPoint.x);
    EXPECT_EQ(now.y, kPoint.y);
}

}  // namespace
}  // namespace popyo::wine
