// How the real engine looks after windows under Wine beyond the single slide steps: a
// maximized window stays maximized when its hide starts over before it is fully out, and a
// window that is out stays out while the cursor rests on its own popup menu.
#include <gtest/gtest.h>

#include <string>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;

// Half a second from leaving a window to its hide; a window that comes out while the cursor
// is elsewhere starts leaving at once (OutCheck off). A pop waits the full OnTime.
std::string Settings(bool hideOnDeactivate) {
    return std::string("wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=") +
           (hideOnDeactivate ? "True" : "False") +
           "\r\noutwin=True\r\nDisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\n"
           "OnTime=10\r\nOffTime=10\r\nOutCheck=False\r\nSwitchOnTime=False\r\n"
           "AutoActivate=False\r\nChangePopyonStyle=False\r\n";
}
constexpr int kOffTimeTicks = 10;

// Far from every edge.
constexpr POINT kAway{960, 100};

// ---- A maximized window ----

using MaximizedAcrossHides = EngineSession;

TEST_F(MaximizedAcrossHides, HideStartedAgainWhileSlidingInStillComesOutMaximized) {
    ForeignWindows windows(
        {{L"maximized", {100, 300, 400, 600}}, {L"other", {1500, 700, 1800, 900}}});
    const HWND wnd = windows[0];
    ASSERT_TRUE(MoveCursorTo(kAway));
    StartEngine(Settings(true));
    ::ShowWindow(wnd, SW_MAXIMIZE);
    ASSERT_TRUE(PollUntil([&] { return ::IsZoomed(wnd) != FALSE; }, kReplyTimeout));
    Register(wnd, edLeft);

    ASSERT_EQ(Send(EM_HIDE, wnd), LRESULT{0});
    ASSERT_FALSE(::IsZoomed(wnd)) << "a maximized window hides restored";
    // The foreground moves on while the window slides in: the hide starts over.
    ASSERT_TRUE(::SetForegroundWindow(windows[1]));
    ASSERT_TRUE(WaitStatus(wnd, rsHidden));

    ASSERT_EQ(Send(EM_POP, nullptr, edLeft), LRESULT{0});
    ASSERT_TRUE(WaitStatus(wnd, rsShown));
    EXPECT_TRUE(PollUntil([&] { return ::IsZoomed(wnd) != FALSE; }, kReplyTimeout))
        << "came out restored at " << WindowRect(wnd).left << "," << WindowRect(wnd).top;
}

// ---- A popup menu of the window's own ----

using OwnMenus = EngineSession;

TEST_F(OwnMenus, CursorOnTheMenuKeepsTheWindowOut) {
    ForeignWindows windows({{L"menu owner", {100, 300, 400, 600}}});
    const HWND wnd = windows[0];
    ASSERT_TRUE(MoveCursorTo(kAway));
    StartEngine(Settings(false));
    Register(wnd, edLeft);
    ASSERT_TRUE(WaitStatus(wnd, rsHidden));

    // Out at the edge the window spans x 0..300; its menu opens at x 280 and reaches well
    // past the margin. The cursor waits where the menu will be: while a menu is open, Wine
    // holds the pointer and no other program can move it.
    constexpr POINT kMenuAt{280, 420};
    constexpr POINT kOnMenu{380, 430};
    ASSERT_TRUE(MoveCursorTo(kOnMenu));
    const HWND menu = windows.OpenMenu(0, kMenuAt);
    ASSERT_NE(menu, nullptr) << "no menu opened";
    ASSERT_GT(WindowRect(menu).right, kOnMenu.x);
    ASSERT_EQ(::GetAncestor(::WindowFromPoint(kOnMenu), GA_ROOT), menu);

    ASSERT_EQ(Send(EM_POP, nullptr, edLeft), LRESULT{0});
    ASSERT_TRUE(WaitStatus(wnd, rsShown));
    const auto twiceOffTime = 2 * kOffTimeTicks * 50ms;
    const bool left = PollUntil([&] { return StatusOf(wnd) != LRESULT{rsShown}; }, twiceOffTime);
    EXPECT_FALSE(left) << "left the window while the cursor was on its menu";
    EXPECT_EQ(WindowRect(wnd).left, 0);

    ASSERT_TRUE(windows.CloseMenu(0));
    EXPECT_TRUE(WaitStatus(wnd, rsHidden)) << "the cursor is away once the menu has closed";
}

}  // namespace
}  // namespace popyo::wine
