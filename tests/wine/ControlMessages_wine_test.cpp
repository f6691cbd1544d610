// Control messages sent to the real engine under Wine: the answers of the message table,
// requests that act at once or wait for the next tick, windows of another process sliding
// into each edge and out again by request and by a push of the cursor, pinning, and a
// detaching front-end that gets every window put back. The handlers' logic is tested
// natively; here the wire (32-bit parameters and answers) and the real window manager are.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The foreground plays no part (actwin, hiact and AutoActivate off), a shown window that the
// cursor leaves hides at once (OffTime 0), and a push always waits the full OnTime.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=10\r\n"
    "OffTime=0\r\nOutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\n"
    "ChangePopyonStyle=False\r\n";
constexpr int kOnTime = 10;
constexpr LONG kScreenWidth = 1920;
constexpr LONG kScreenHeight = 1080;
// A slide takes a handful of ticks; the rest is room for a loaded machine.
// Outside every test window, out or tucked away, and far from every edge.
constexpr POINT kAway{1500, 150};
// Two overlapping windows in the middle, and a cursor inside both, so they stay out.
constexpr RECT kMiddleLeft{700, 400, 1000, 700};
constexpr RECT kMiddleRight{900, 400, 1200, 700};
constexpr POINT kInBoth{950, 550};
// Homes at each edge, away from kAway and from each other.
constexpr RECT kLeftHome{100, 400, 400, 600};
constexpr RECT kTopHome{800, 50, 1100, 250};
constexpr RECT kBottomHome{800, 700, 1100, 900};
constexpr RECT kRightHome{1550, 400, 1850, 600};
constexpr RECT kFrontEndHome{1600, 800, 1800, 900};
constexpr RECT kOtherFrontEndHome{1600, 920, 1800, 1000};

using Box = std::array<LONG, 4>;

Box BoxOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

Box BoxOf(HWND wnd) {
    return BoxOf(WindowRect(wnd));
}

LPARAM FrontEndParam(HWND wnd) {
    return static_cast<LPARAM>(HandleParam(wnd));
}

// Opens windows of another process and starts the engine with the settings above; the
// cursor is in place before the engine's first tick reads it.
class ForeignSession : public EngineSession {
  protected:
    void Start(const std::vector<ForeignWindows::Wanted>& wanted, POINT cursor) {
        ASSERT_TRUE(MoveCursorTo(cursor));
        windows_.emplace(wanted);
        StartEngine(kSettings);
    }

    HWND W(std::size_t i) const { return windows_.value()[i]; }

    std::optional<ForeignWindows> windows_;
};

// ---- Answers ----

using ControlAnswers = ForeignSession;

TEST_F(ControlAnswers, UnknownHandlesAndNumbersWithoutHandler) {
    Start({{L"stranger", kLeftHome}}, kAway);
    const HWND bogus = reinterpret_cast<HWND>(UINT_PTR{0x7FFE0010});
    struct Case {
        UINT msg;
        LRESULT answer;
    };
    // -1 comes sign-extended, so that a 32-bit front-end reads 0xFFFFFFFF.
    constexpr Case kCases[] = {
        {EM_GETSTATUS, 0}, {EM_GETEDGE, 0}, {EM_GETPINNED, 0}, {EM_CLASSIFY, 0},
        {EM_GETHOME, -1},  {0x8001, 0},     {0x8102, 0},
    };
    for (HWND wnd : {HWND{}, W(0), bogus}) {
        for (const Case& c : kCases) {
            EXPECT_EQ(Send(c.msg, wnd), c.answer)
                << std::hex << "message 0x" << c.msg << ", handle " << wnd;
        }
    }
    // Attaching answers 1 also for a handle already attached.
    EXPECT_EQ(Send(EM_ATTACH, W(0), 0), LRESULT{1});
    EXPECT_EQ(Send(EM_ATTACH, W(0), 0), LRESULT{1});
    EXPECT_EQ(Send(EM_CLASSIFY, W(0)), LRESULT{wcFrontEnd});
}

TEST_F(ControlAnswers, RegisterClassifySetHomeAndRelease) {
    enum Index { kA, kB, kG, kF, kF2, kNone = -1 };
    Start({{L"A owned by F", kBottomHome},
           {L"B owned by none", kLeftHome},
           {L"G front-end and window", kRightHome},
           {L"F front-end", kFrontEndHome},
           {L"F2 front-end", kOtherFrontEndHome}},
          kAway);
    const HWND a = W(kA);
    // A detach of a handle that never attached is no detach: the engine goes on ticking,
    // as the slides below need.
    EXPECT_EQ(Send(EM_DETACH, W(kF)), LRESULT{0});

    EXPECT_EQ(Send(EM_ATTACH, W(kF), 1), LRESULT{1});
    // A second main front-end is not taken, and the answer is 1 all the same.
    EXPECT_EQ(Send(EM_ATTACH, W(kF2), 1), LRESULT{1});
    EXPECT_EQ(Send(EM_CLASSIFY, W(kF2)), LRESULT{wcUnknown});
    EXPECT_EQ(Send(EM_ATTACH, W(kF2), 0), LRESULT{1});
    EXPECT_EQ(Send(EM_ATTACH, W(kG), 0), LRESULT{1});

    // Only the low byte of LParam is the edge; only the low 32 bits of WParam the handle.
    EXPECT_EQ(Send(EM_REGISTER, a, 0x0203), LRESULT{0});
    Register(W(kB), edLeft);
    Register(W(kG), edRight);
    EXPECT_EQ(Send(EM_GETEDGE, a), LRESULT{edBottom});
    EXPECT_EQ(SendWithTimeout(engineWnd_, EM_GETEDGE, HandleParam(a) | (~WPARAM{0} << 32), 0),
              LRESULT{edBottom});

    EXPECT_EQ(Send(EM_SETOWNER, a, FrontEndParam(W(kF))), LRESULT{0});
    // Not an attached front-end: A keeps its owner.
    EXPECT_EQ(Send(EM_SETOWNER, a, FrontEndParam(W(kB))), LRESULT{0});
    EXPECT_EQ(Send(EM_SETOWNER, W(kG), FrontEndParam(W(kG))), LRESULT{0});
    struct Case {
        Index wnd;
        Index owner;
        WindowClass code;
    };
    constexpr Case kCases[] = {
        {kA, kNone, wcOwnedWindow}, {kA, kF, wcOwnedWindow},         {kA, kF2, wcOtherOwnersWindow},
        {kB, kNone, wcOwnedWindow}, {kB, kF, wcOtherOwnersWindow},   {kF, kNone, wcFrontEnd},
        {kF, kF, wcFrontEnd},       {kF, kF2, wcOtherFrontEnd},      {kG, kNone, wcFrontEndWindow},
        {kG, kG, wcFrontEndWindow}, {kG, kF, wcOtherFrontEndWindow},
    };
    for (const Case& c : kCases) {
        const LPARAM owner = c.owner == kNone ? 0 : FrontEndParam(W(c.owner));
        EXPECT_EQ(Send(EM_CLASSIFY, W(c.wnd), owner), LRESULT{c.code})
            << "window " << c.wnd << ", owner " << c.owner;
    }

    // The home setting takes the low byte, for registered windows only.
    EXPECT_EQ(Send(EM_SETHOME, W(kF), 1), LRESULT{0});
    EXPECT_EQ(Send(EM_GETHOME, W(kF)), LRESULT{-1});
    ASSERT_TRUE(WaitStatus(a, rsHidden));
    EXPECT_EQ(Send(EM_GETHOME, a), LRESULT{0});
    EXPECT_EQ(Send(EM_SETHOME, a, 0x0101), LRESULT{0});
    EXPECT_EQ(Send(EM_GETHOME, a), LRESULT{1});
    // With it set, a pop brings the window out to where it stood rather than to the edge.
    EXPECT_EQ(Send(EM_POP, nullptr, edBottom), LRESULT{0});
    ASSERT_TRUE(WaitStatus(a, rsShown));
    EXPECT_EQ(BoxOf(a), BoxOf(kBottomHome));
    // A hide that the engine starts chooses afresh.
    EXPECT_EQ(Send(EM_POP, nullptr, 0), LRESULT{0});
    EXPECT_EQ(Send(EM_GETHOME, a), LRESULT{0});

    ASSERT_TRUE(WaitStatus(a, rsHidden));
    EXPECT_EQ(Send(EM_REGISTER, a, 0x0100), LRESULT{0});
    EXPECT_EQ(StatusOf(a), LRESULT{0});
    EXPECT_EQ(Send(EM_GETEDGE, a), LRESULT{0});
    EXPECT_EQ(Send(EM_GETHOME, a), LRESULT{-1});
    EXPECT_EQ(BoxOf(a), BoxOf(kBottomHome)) << "a released window goes back where it stood";
    EXPECT_TRUE(engine_.value().Running());
}

// ---- Requests ----

using ControlRequests = ForeignSession;

TEST_F(ControlRequests, HideAndHideAllStartAtOnce) {
    Start({{L"hide me", kMiddleLeft}, {L"hide all", kMiddleRight}}, kInBoth);
    const HWND a = W(0);
    const HWND b = W(1);
    Register(a, edLeft);
    Register(b, edRight);
    EXPECT_EQ(StatusOf(a), LRESULT{rsShown});
    EXPECT_EQ(StatusOf(b), LRESULT{rsShown});

    // Each slide takes seven steps, so no tick can finish one before the query.
    EXPECT_EQ(Send(EM_HIDE, a), LRESULT{0});
    EXPECT_EQ(StatusOf(a), LRESULT{rsHiding});
    EXPECT_EQ(StatusOf(b), LRESULT{rsShown});
    EXPECT_EQ(Send(EM_POP, nullptr, 0), LRESULT{0});
    EXPECT_EQ(StatusOf(b), LRESULT{rsHiding});

    ASSERT_TRUE(WaitStatus(a, rsHidden));
    ASSERT_TRUE(WaitStatus(b, rsHidden));
    EXPECT_EQ(WindowRect(a).right, 0);
    EXPECT_EQ(WindowRect(b).left, kScreenWidth);
}

TEST_F(ControlRequests, SecondPopBeforeTheTickReplacesTheFirst) {
    Start({{L"left", kLeftHome}, {L"bottom", kBottomHome}}, kAway);
    const HWND left = W(0);
    const HWND bottom = W(1);
    Register(left, edLeft);
    Register(bottom, edBottom);
    ASSERT_TRUE(WaitStatus(left, rsHidden));
    ASSERT_TRUE(WaitStatus(bottom, rsHidden));
    const Box tucked = BoxOf(bottom);

    // Posted, not sent: the timer's message comes only when no posted message waits, so no
    // tick can fall between the two requests.
    ASSERT_TRUE(::PostMessageW(engineWnd_, EM_POP, 0, edBottom));
    ASSERT_TRUE(::PostMessageW(engineWnd_, EM_POP, 0, edLeft));
    // Out takes two ticks: a pop of the bottom edge served in either would show by now.
    ASSERT_TRUE(WaitStatus(left, rsShown));
    EXPECT_EQ(StatusOf(bottom), LRESULT{rsHidden});
    EXPECT_EQ(BoxOf(bottom), tucked);
}

TEST_F(ControlRequests, PinnedWindowStaysOutUntilUnpinned) {
    Start({{L"pinned", kMiddleLeft}, {L"not pinned", kMiddleRight}}, kInBoth);
    const HWND pinned = W(0);
    const HWND other = W(1);
    Register(pinned, edLeft);
    Register(other, edRight);
    EXPECT_EQ(Send(EM_PIN, pinned), LRESULT{0});
    EXPECT_EQ(Send(EM_GETPINNED, pinned), LRESULT{1});
    EXPECT_EQ(Send(EM_GETPINNED, other), LRESULT{0});

    // Both windows notice the cursor leaving on the same tick; by the time the other one is
    // tucked away, the pinned one would be on its way.
    ASSERT_TRUE(MoveCursorTo(kAway));
    ASSERT_TRUE(WaitStatus(other, rsHidden));
    EXPECT_EQ(StatusOf(pinned), LRESULT{rsShown});
    EXPECT_EQ(BoxOf(pinned), BoxOf(kMiddleLeft));
    EXPECT_EQ(Send(EM_GETPINNED, pinned), LRESULT{1});

    EXPECT_EQ(Send(EM_UNPIN, pinned), LRESULT{0});
    EXPECT_EQ(Send(EM_GETPINNED, pinned), LRESULT{0});
    ASSERT_TRUE(WaitStatus(pinned, rsHidden));
    EXPECT_EQ(WindowRect(pinned).right, 0);
}

// ---- Slides ----

struct EdgeCase {
    const char* name;
    Edge edge;
    RECT home;
    // Where the cursor pushes against the edge: the middle of the window's side.
    POINT push;
    // The coordinate that moves (Left for the side edges, Top for the others) at every
    // step, from home into the edge and from there out again: 150 pixels a step, the last
    // one trimmed so that the window comes to rest touching the edge.
    std::vector<LONG> in;
    std::vector<LONG> out;
};

void PrintTo(const EdgeCase& c, std::ostream* os) {
    *os << c.name;
}

const EdgeCase kEdgeCases[] = {
    {"Left", edLeft, kLeftHome, {0, 500}, {100, -50, -200, -300}, {-300, -150, 0}},
    {"Top", edTop, kTopHome, {950, 0}, {50, -100, -200}, {-200, -50, 0}},
    {"Bottom", edBottom, kBottomHome, {950, 1079}, {700, 850, 1000, 1080}, {1080, 930, 880}},
    {"Right", edRight, kRightHome, {1919, 500}, {1550, 1700, 1850, 1920}, {1920, 1770, 1620}},
};

bool Sideways(Edge edge) {
    return edge == edLeft || edge == edRight;
}

// How far the window reaches across its edge into the screen: 0 when it touches the edge
// from outside.
LONG Reach(const RECT& r, Edge edge) {
    switch (edge) {
        case edLeft:
            return r.right;
        case edTop:
            return r.bottom;
        case edBottom:
            return kScreenHeight - r.top;
        case edRight:
            return kScreenWidth - r.left;
        default:
            return -1;
    }
}

struct Slide {
    std::vector<Box> seen;
    Clock::time_point firstMove;
};

class EdgeSlide : public ForeignSession, public ::testing::WithParamInterface<EdgeCase> {
  protected:
    // Every position the window is seen at from before `start` until its status is `until`.
    Slide Track(Status until, const std::function<void()>& start) const {
        const HWND wnd = W(0);
        Slide slide{{BoxOf(wnd)}, {}};
        auto record = [&] {
            if (const Box now = BoxOf(wnd); now != slide.seen.back()) {
                if (slide.seen.size() == 1) {
                    slide.firstMove = Clock::now();
                }
                slide.seen.push_back(now);
            }
        };
        start();
        const bool arrived = PollUntil(
            [&] {
                record();
                return StatusOf(wnd) == LRESULT{until};
            },
            kSlideTimeout);
        EXPECT_TRUE(arrived) << "status " << StatusOf(wnd).value_or(-1);
        // The last step may land between the read of the place and the read of the status.
        record();
        return slide;
    }

    // The positions seen are steps of the table in order, from its first to its last; a
    // busy test thread may miss some between. Across the edge nothing else changes.
    void ExpectSteps(const Slide& slide, const std::vector<LONG>& steps) const {
        const EdgeCase& c = GetParam();
        std::vector<LONG> moving;
        auto next = steps.begin();
        bool inOrder = true;
        for (const Box& b : slide.seen) {
            const LONG v = Sideways(c.edge) ? b[0] : b[1];
            moving.push_back(v);
            next = std::find(next, steps.end(), v);
            inOrder = inOrder && next != steps.end();
            if (next != steps.end()) {
                ++next;
            }
            const LONG fixed = Sideways(c.edge) ? b[1] : b[0];
            EXPECT_EQ(fixed, Sideways(c.edge) ? c.home.top : c.home.left);
            EXPECT_EQ(b[2] - b[0], c.home.right - c.home.left);
            EXPECT_EQ(b[3] - b[1], c.home.bottom - c.home.top);
        }
        EXPECT_TRUE(inOrder && moving.front() == steps.front() && moving.back() == steps.back())
            << "seen " << ::testing::PrintToString(moving) << ", steps "
            << ::testing::PrintToString(steps);
    }
};

std::string EdgeName(const ::testing::TestParamInfo<EdgeCase>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Edges, EdgeSlide, ::testing::ValuesIn(kEdgeCases), EdgeName);

TEST_P(EdgeSlide, InWhenLeftOutByPopAndByPush) {
    const EdgeCase& c = GetParam();
    const POINT inside{(c.home.left + c.home.right) / 2, (c.home.top + c.home.bottom) / 2};
    Start({{L"slide me", c.home}}, inside);
    const HWND wnd = W(0);
    Register(wnd, c.edge);
    const LONG across = Sideways(c.edge) ? c.home.right - c.home.left : c.home.bottom - c.home.top;

    ExpectSteps(Track(rsHidden, [] { EXPECT_TRUE(MoveCursorTo(kAway)); }), c.in);
    EXPECT_EQ(Reach(WindowRect(wnd), c.edge), 0) << "hidden: touching the edge from outside";

    ExpectSteps(Track(rsShown, [&] { EXPECT_EQ(Send(EM_POP, nullptr, c.edge), LRESULT{0}); }),
                c.out);
    EXPECT_EQ(Reach(WindowRect(wnd), c.edge), across) << "shown: touching the edge from inside";

    ASSERT_EQ(Send(EM_POP, nullptr, 0), LRESULT{0});
    ASSERT_TRUE(WaitStatus(wnd, rsHidden));
    const auto pushed = Clock::now();
    const Slide byPush = Track(rsShown, [&] { EXPECT_TRUE(MoveCursorTo(c.push)); });
    ExpectSteps(byPush, c.out);
    EXPECT_EQ(Reach(WindowRect(wnd), c.edge), across);
    // The pop comes OnTime ticks after the first tick at the edge; 40 ms a tick leaves room
    // for a timer that runs a little early.
    EXPECT_GE(byPush.firstMove - pushed, kOnTime * 40ms);
}

// ---- Detach ----

using FrontEndDetach = ForeignSession;

TEST_F(FrontEndDetach, EveryWindowGoesBackBeforeTheAnswerAndTheEngineEnds) {
    const std::vector<ForeignWindows::Wanted> wanted = {{L"owned, hidden", kLeftHome},
                                                        {L"other's, hidden", kRightHome},
                                                        {L"nobody's, out", kBottomHome},
                                                        {L"F front-end", kFrontEndHome},
                                                        {L"F2 front-end", kOtherFrontEndHome}};
    Start(wanted, kAway);
    const HWND frontEnd = W(3);
    ASSERT_EQ(Send(EM_ATTACH, frontEnd, 1), LRESULT{1});
    ASSERT_EQ(Send(EM_ATTACH, W(4), 0), LRESULT{1});
    Register(W(0), edLeft);
    Register(W(1), edRight);
    Register(W(2), edBottom);
    ASSERT_EQ(Send(EM_SETOWNER, W(0), FrontEndParam(frontEnd)), LRESULT{0});
    ASSERT_EQ(Send(EM_SETOWNER, W(1), FrontEndParam(W(4))), LRESULT{0});
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(WaitStatus(W(i), rsHidden)) << i;
    }
    ASSERT_EQ(Send(EM_POP, nullptr, edBottom), LRESULT{0});
    ASSERT_TRUE(WaitStatus(W(2), rsShown));
    ASSERT_NE(BoxOf(W(2)), BoxOf(kBottomHome)) << "out at the edge, not at home";

    // Also the windows of the front-end still attached, and the one of none.
    ASSERT_EQ(Send(EM_DETACH, frontEnd), LRESULT{0});
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(BoxOf(W(i)), BoxOf(wanted[i].rect)) << "window " << i;
    }
    EXPECT_TRUE(engine_.value().WaitForExit(kExitTimeout)) << "the engine did not end";
    EXPECT_EQ(FindEngineWindow(), nullptr);
}

}  // namespace
}  // namespace popyo::wine
