// What the Wine harness itself promises the other suites: a crashing program ends at once
// instead of waiting in a crash dialog, the prefix is Windows 10 as the engine sees it, and a
// cursor move holds even when Wine's record of the cursor has gone stale.
#include <gtest/gtest.h>

#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;

// Wine reports the fault and its address on the Unix side's stderr, which CTest shows with
// the test and which fails every other Wine test. The status a crashed program ends with
// is Wine's to choose, 0 among others, so it tells nothing.
TEST(CrashingProgram, EndsAtOnce) {
    const ConsoleResult r = RunConsole(BinDir() / L"NullDeref.exe", L"", 10s);
    EXPECT_TRUE(r.exitCode.has_value()) << "still running after 10 s: a crash dialog waits";
}

// The prefix says it is Windows 10, and the engine's manifest declares it: the engine is
// told 10.0, not the 6.2 Windows 10 gives programs that do not declare it.
TEST(WindowsVersion, EngineIsToldWindows10) {
    const ConsoleResult r = RunConsole(BinDir() / L"VersionProbe.exe", L"");
    ASSERT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, "10.0\n");
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
