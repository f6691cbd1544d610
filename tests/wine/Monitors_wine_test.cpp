// The real engine on two monitors under Wine, on an X server with two outputs (scripts/test
// runs these on POPYO_MONITORS="1920x1080+0+0,2560x1440+1920+0"): monitor A, the primary,
// 1920x1080 at the origin, and monitor B, 2560x1440, which each test places beside, left of
// or above A, or takes away, through the display settings. Windows hide where no monitor
// shows them, come out onto their own monitor, and a push pops the windows of the monitor
// it is made on.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

constexpr char kLayout[] = "1920x1080+0+0,2560x1440+1920+0";

// A push waits half a second; a window the cursor leaves hides at once.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=10\r\nOffTime=0\r\n"
    "OutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\nChangePopyonStyle=False\r\n";

constexpr RECT kA{0, 0, 1920, 1080};
// B's top-left corner in the layouts of these tests.
constexpr POINT kBeside{1920, 0};
constexpr POINT kLeftBottomsAligned{-2560, -360};
constexpr POINT kAboveCentred{-320, -1440};

// On A, far from its sides in every layout.
constexpr POINT kAway{960, 500};

RECT PlaceOfB(POINT at) {
    return {at.x, at.y, at.x + 2560, at.y + 1440};
}

std::string Text(const RECT& r) {
    std::ostringstream os;
    os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
    return os.str();
}

bool ShownByNoMonitor(const RECT& r) {
    return ::MonitorFromRect(&r, MONITOR_DEFAULTTONULL) == nullptr;
}

RECT VirtualScreen() {
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

class TwoMonitors : public EngineSession {
  protected:
    void SetUp() override {
        EngineSession::SetUp();
        if (::GetEnvironmentVariableW(L"POPYO_MONITORS", nullptr, 0) == 0) {
            GTEST_SKIP() << "needs two monitors: POPYO_MONITORS=\"" << kLayout
                         << "\" scripts/with-wine ctest ... -L monitors";
        }
        ASSERT_NO_FATAL_FAILURE(PlaceB(kBeside));
    }

    // B with its top-left corner at `at`, or taken away. The shell's stand-in, when there is
    // one, follows as the Windows shell's desktop window does.
    void PlaceB(std::optional<POINT> at) {
        const auto place = at ? std::optional<RECT>(PlaceOfB(*at)) : std::nullopt;
        ASSERT_TRUE(SetDisplay(2, place))
            << "cannot move monitor B; the suites need the layout " << kLayout << ", now "
            << MonitorRects().size() << " monitor(s)";
        ASSERT_EQ(MonitorRects().size(), at ? 2u : 1u) << "the suites need the layout " << kLayout;
        const auto a = DisplayRect(1);
        ASSERT_TRUE(a && SameRect(*a, kA)) << "A is not the 1920x1080 primary monitor";
        if (stub_) {
            ASSERT_TRUE(
                PollUntil([&] { return SameRect(WindowRect(stub_->Window()), VirtualScreen()); },
                          kReplyTimeout))
                << "the Progman stand-in did not follow the monitors";
        }
    }

    void StartShell() { stub_.emplace(); }

    void Start() {
        ASSERT_TRUE(MoveCursorTo(kAway));
        StartEngine(kSettings);
    }

    // The push: the cursor rests at `at` until the window is out.
    void PushUntilShown(POINT at, HWND wnd) {
        ASSERT_TRUE(MoveCursorTo(at));
        ASSERT_TRUE(WaitStatus(wnd, rsShown)) << "no pop at " << at.x << "," << at.y
                                              << "; the window is at " << Text(WindowRect(wnd));
    }

    void ExpectAt(HWND wnd, const RECT& want) { EXPECT_EQ(Text(WindowRect(wnd)), Text(want)); }

    std::optional<ProgmanStub> stub_;
};

// ---- The part of the box that no monitor shows ----

using MonitorDeadZone = TwoMonitors;

TEST_F(MonitorDeadZone, WindowAtTheBottomOfAHidesBelowAAndComesBackOntoA) {
    StartShell();
    ForeignWindows windows({{L"bottom of A", {500, 700, 800, 900}}});
    const HWND wnd = windows[0];
    Start();
    Register(wnd, edBottom);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(WaitStatus(wnd, rsHidden));
        ExpectAt(wnd, {500, 1080, 800, 1280});
        EXPECT_TRUE(ShownByNoMonitor(WindowRect(wnd)));
        PushUntilShown({650, 1079}, wnd);
        ExpectAt(wnd, {500, 880, 800, 1080});
        ASSERT_TRUE(MoveCursorTo(kAway));
    }
}

// ---- A push pops the windows of its own monitor ----

using MonitorPush = TwoMonitors;

TEST_F(MonitorPush, PopsOnlyTheWindowsOfTheMonitorItIsMadeOn) {
    StartShell();
    ForeignWindows windows(
        {{L"bottom of A", {500, 700, 800, 900}}, {L"bottom of B", {2500, 1000, 2800, 1200}}});
    const HWND onA = windows[0];
    const HWND onB = windows[1];
    Start();
    // A first: a push that looked at the edge alone would pop it.
    Register(onA, edBottom);
    Register(onB, edBottom);
    ASSERT_TRUE(WaitStatus(onA, rsHidden));
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    ExpectAt(onB, {2500, 1440, 2800, 1640});

    PushUntilShown({2650, 1439}, onB);
    ExpectAt(onB, {2500, 1240, 2800, 1440});
    EXPECT_EQ(StatusOf(onA), LRESULT{rsHidden});

    ASSERT_TRUE(MoveCursorTo(kAway));
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    PushUntilShown({650, 1079}, onA);
    ExpectAt(onA, {500, 880, 800, 1080});
    EXPECT_EQ(StatusOf(onB), LRESULT{rsHidden});
}

// ---- A monitor at negative coordinates ----

using MonitorLeftOfPrimary = TwoMonitors;

// B left of A with their bottoms in line: the box starts at (-2560, -360), and above A lies
// a strip that no monitor shows.
TEST_F(MonitorLeftOfPrimary, HidesAndComesOutAtItsLeftSide) {
    ASSERT_NO_FATAL_FAILURE(PlaceB(kLeftBottomsAligned));
    StartShell();
    ForeignWindows windows(
        {{L"left of B", {-2400, -200, -2100, 100}}, {L"top of A", {500, 100, 800, 300}}});
    const HWND onB = windows[0];
    const HWND onA = windows[1];
    Start();
    Register(onB, edLeft);
    Register(onA, edTop);
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    ASSERT_TRUE(WaitStatus(onA, rsHidden));
    ExpectAt(onB, {-2860, -200, -2560, 100});
    ExpectAt(onA, {500, -200, 800, 0});
    EXPECT_TRUE(ShownByNoMonitor(WindowRect(onA)));

    PushUntilShown({-2560, -50}, onB);
    ExpectAt(onB, {-2560, -200, -2260, 100});
    EXPECT_EQ(StatusOf(onA), LRESULT{rsHidden});

    ASSERT_TRUE(MoveCursorTo(kAway));
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    PushUntilShown({650, 0}, onA);
    ExpectAt(onA, {500, 0, 800, 200});
}

// ---- Stacked monitors of different widths ----

using MonitorsStacked = TwoMonitors;

// B above A, wider on both sides: right of A lies a part of the box that no monitor shows,
// and B's right side is the box's.
TEST_F(MonitorsStacked, TheNarrowMonitorsWindowHidesBesideItTheWideOnesAtTheBox) {
    ASSERT_NO_FATAL_FAILURE(PlaceB(kAboveCentred));
    StartShell();
    ForeignWindows windows(
        {{L"right of A", {1500, 300, 1800, 600}}, {L"right of B", {1800, -1000, 2100, -700}}});
    const HWND onA = windows[0];
    const HWND onB = windows[1];
    Start();
    Register(onA, edRight);
    Register(onB, edRight);
    ASSERT_TRUE(WaitStatus(onA, rsHidden));
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    ExpectAt(onA, {1920, 300, 2220, 600});
    ExpectAt(onB, {2240, -1000, 2540, -700});

    PushUntilShown({2239, -850}, onB);
    ExpectAt(onB, {1940, -1000, 2240, -700});
    EXPECT_EQ(StatusOf(onA), LRESULT{rsHidden});

    ASSERT_TRUE(MoveCursorTo(kAway));
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    PushUntilShown({1919, 450}, onA);
    ExpectAt(onA, {1620, 300, 1920, 600});
    EXPECT_EQ(StatusOf(onB), LRESULT{rsHidden});
}

// ---- A monitor taken away at run time ----

using MonitorRemoved = TwoMonitors;

TEST_F(MonitorRemoved, ItsHiddenWindowsHideAtTheMonitorLeftAndComeBackOntoIt) {
    StartShell();
    ForeignWindows windows(
        {{L"bottom of B", {2500, 300, 2800, 600}}, {L"right of B", {3500, 300, 3800, 600}}});
    const HWND bottom = windows[0];
    const HWND right = windows[1];
    Start();
    Register(bottom, edBottom);
    Register(right, edRight);
    ASSERT_TRUE(WaitStatus(bottom, rsHidden));
    ASSERT_TRUE(WaitStatus(right, rsHidden));
    ExpectAt(bottom, {2500, 1440, 2800, 1740});
    ExpectAt(right, {4480, 300, 4780, 600});

    ASSERT_NO_FATAL_FAILURE(PlaceB(std::nullopt));
    // Hidden where A shows nothing, in line with A's side.
    for (const HWND wnd : {bottom, right}) {
        EXPECT_TRUE(PollUntil(
            [&] {
                const RECT r = WindowRect(wnd);
                const bool inLine = wnd == bottom ? r.left >= kA.left && r.right <= kA.right
                                                  : r.top >= kA.top && r.bottom <= kA.bottom;
                return inLine && ShownByNoMonitor(r) && StatusOf(wnd) == LRESULT{rsHidden};
            },
            kSlideTimeout))
            << WindowText(wnd) << " is at " << Text(WindowRect(wnd));
    }

    PushUntilShown({1700, 1079}, bottom);
    ExpectAt(bottom, {1620, 780, 1920, 1080});
    // Released, the window goes home, or as near as A shows it.
    ASSERT_EQ(Send(EM_REGISTER, right, 0), LRESULT{0});
    ExpectAt(right, {1620, 300, 1920, 600});
}

// Tucked beyond B's right side, a window would lie far beyond A's once B goes: it waits just
// beyond A's right side instead, and a push there brings it out onto A.
TEST_F(MonitorRemoved, AWindowBeyondBWaitsJustBeyondA) {
    StartShell();
    ForeignWindows windows({{L"right of B", {3500, 300, 3800, 600}}});
    const HWND right = windows[0];
    Start();
    Register(right, edRight);
    ASSERT_TRUE(WaitStatus(right, rsHidden));
    ExpectAt(right, {4480, 300, 4780, 600});

    ASSERT_NO_FATAL_FAILURE(PlaceB(std::nullopt));
    EXPECT_TRUE(PollUntil(
        [&] {
            return SameRect(WindowRect(right), {1920, 300, 2220, 600});
        },
        kSlideTimeout))
        << "waits at " << Text(WindowRect(right));
    PushUntilShown({1919, 450}, right);
    ExpectAt(right, {1620, 300, 1920, 600});
}

// ---- No shell ----

using MonitorsWithoutShell = TwoMonitors;

// Without the shell's desktop window the engine falls back to the system's, which Wine makes
// as large as the primary monitor alone: the engine's box is still both monitors'.
TEST_F(MonitorsWithoutShell, TheBoxSpansBothMonitors) {
    ASSERT_EQ(::FindWindowA("Progman", "Program Manager"), nullptr);
    ForeignWindows windows(
        {{L"right of B", {3500, 300, 3800, 600}}, {L"bottom of A", {500, 700, 800, 900}}});
    const HWND onB = windows[0];
    const HWND onA = windows[1];
    Start();
    Register(onB, edRight);
    Register(onA, edBottom);
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    ASSERT_TRUE(WaitStatus(onA, rsHidden));
    ExpectAt(onB, {4480, 300, 4780, 600});
    ExpectAt(onA, {500, 1080, 800, 1280});

    PushUntilShown({4479, 450}, onB);
    ExpectAt(onB, {4180, 300, 4480, 600});
    ASSERT_TRUE(MoveCursorTo(kAway));
    ASSERT_TRUE(WaitStatus(onB, rsHidden));
    PushUntilShown({650, 1079}, onA);
    ExpectAt(onA, {500, 880, 800, 1080});
}

}  // namespace
}  // namespace popyo::wine
