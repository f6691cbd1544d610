// popyctl.exe as a user runs it, against the real engine under Wine: its verbs with their
// words and exit codes, `run` taking windows by rule and handing them back when it is
// closed or when the engine is killed under it, and `rescue` after a killed engine. The
// command line itself is tested natively.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

// A window the cursor leaves hides at once and the foreground plays no part.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=2\r\n"
    "OffTime=0\r\nOutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\n"
    "ChangePopyonStyle=False\r\n";
// popyctl starts as a Wine process, so a one-shot verb takes a few tenths of a second.
constexpr milliseconds kCommandTimeout{20000};
constexpr POINT kAway{960, 150};
constexpr RECT kLeftHome{100, 400, 400, 600};
constexpr RECT kRightHome{1500, 400, 1800, 600};

// The window's rectangle once it has not changed for a quarter of a second.
RECT SettledRect(HWND wnd) {
    using Clock = std::chrono::steady_clock;
    RECT last = WindowRect(wnd);
    auto since = Clock::now();
    PollUntil(
        [&] {
            const RECT now = WindowRect(wnd);
            if (!SameRect(now, last)) {
                last = now;
                since = Clock::now();
            }
            return Clock::now() - since >= std::chrono::milliseconds(250);
        },
        kSlideTimeout);
    return last;
}

bool OneLine(const std::string& text) {
    return std::ranges::count(text, '\n') == 1 && text.ends_with('\n');
}

class PopyctlSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(FindEngineWindow(), nullptr) << "an engine from elsewhere is still running";
        ASSERT_TRUE(MoveCursorTo(kAway));
    }

    void StartEngine() {
        sandbox_.WriteSettings(kSettings);
        engine_ = sandbox_.Start();
        engineWnd_ = WaitForEngineWindow(engine_.value());
        ASSERT_NE(engineWnd_, nullptr) << "no engine window";
    }

    static std::filesystem::path Exe() { return BinDir() / L"popyctl.exe"; }

    static ConsoleResult Popyctl(std::wstring_view args) {
        return RunConsole(Exe(), args, kCommandTimeout);
    }

    std::optional<LRESULT> StatusOf(HWND wnd) const {
        return SendWithTimeout(engineWnd_, EM_GETSTATUS, HandleParam(wnd), 0);
    }

    bool WaitStatus(HWND wnd, Status status) const {
        return WaitForStatus(engineWnd_, wnd, status);
    }

    EngineSandbox sandbox_;
    std::optional<Process> engine_;
    HWND engineWnd_ = nullptr;
};

// ---- One-shot verbs ----

using PopyctlVerbs = PopyctlSession;

TEST_F(PopyctlVerbs, WithoutAnEngineOrWithBadArgumentsOneLineAndItsCode) {
    struct Case {
        const wchar_t* args;
        DWORD exitCode;
        const char* said;
    };
    const Case kCases[] = {
        {L"query foreground", 1, "the engine is not running"},
        {L"register sideways title=W1", 2, "bad edge 'sideways'"},
        {L"run left:title=W1 up:title=W2", 2, "bad rule 'up:title=W2'"},
        {L"home title=W1 2", 2, "bad home value '2'"},
        {L"frobnicate", 2, "unknown verb 'frobnicate'"},
        {L"option skip_cloaked 5", 2, "bad value '5' for skip_cloaked"},
    };
    for (const Case& c : kCases) {
        const ConsoleResult r = Popyctl(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_TRUE(OneLine(r.err) && r.err.find(c.said) != std::string::npos) << r.err;
    }
}

TEST_F(PopyctlVerbs, AWindowThroughItsLifeAndTheRefusals) {
    ForeignWindows windows({{L"W1", kLeftHome}, {L"W2", kRightHome}});
    const HWND w1 = windows[0];
    ::ShowWindow(windows[1], SW_MINIMIZE);
    ASSERT_TRUE(PollUntil([&] { return ::IsIconic(windows[1]) != FALSE; }, kReplyTimeout));
    // Inside W1 wherever it comes out, so it stays out until it is told to hide.
    ASSERT_TRUE(MoveCursorTo({250, 500}));
    StartEngine();

    constexpr int kNoWait = -1;
    constexpr LONG kAnywhere = LONG_MIN;
    struct Step {
        const wchar_t* args;
        DWORD exitCode;
        const char* said;       // on stdout when it succeeds, on stderr when not
        int settles = kNoWait;  // the status W1 reaches afterwards
        LONG left = kAnywhere;  // and W1's left side then
    };
    const Step kSteps[] = {
        {L"register left title=W1", 0, "\"W1\" at left\n", rsShown, 100},
        {L"query title=W1", 0,
         "\"W1\"\nstatus: shown\nedge: left\npinned: no\nhome: 0 (slides out as far as the "
         "screen edge)\n"},
        {L"hide title=W1", 0, "", rsHidden, -300},
        {L"home title=W1 1", 0, ""},
        {L"query title=W1", 0, "status: hidden\nedge: left\npinned: no\nhome: 1 (slides out"},
        {L"pop left", 0, "", rsShown, 100},
        {L"pin title=W1", 0, ""},
        {L"query title=W1", 0, "pinned: yes\n"},
        {L"unpin title=W1", 0, ""},
        {L"hide-all", 0, "", rsHidden, -300},
        // Hiding for all forgets the home: out as far as the screen edge.
        {L"pop 1", 0, "", rsShown, 0},
        {L"classify title=W1", 0, "1: registered window; the owner matches\n"},
        {L"release title=W1", 0, "", rsNone, 100},
        {L"classify title=W1", 0, "0: neither"},
        {L"hide title=W1", 1, "is not registered"},
        {L"register left title=W2", 1, "did not register"},
        // Any detach would end the engine, so one for a window that is no front-end is
        // refused before it is sent.
        {L"detach title=W1", 1, "not an attached front-end"},
        {L"query title=Nobody", 1, "no window matches title=Nobody\n"},
        {L"option quiet_over_fullscreen", 0, "quiet_over_fullscreen 0\n"},
        {L"option quiet_over_fullscreen on", 0, "quiet_over_fullscreen 1 (was 0)\n"},
        {L"option quiet_over_fullscreen", 0, "quiet_over_fullscreen 1\n"},
    };
    for (const Step& s : kSteps) {
        SCOPED_TRACE(::testing::Message() << "popyctl " << s.args);
        const ConsoleResult r = Popyctl(s.args);
        ASSERT_EQ(r.exitCode, s.exitCode) << r.out << r.err;
        const std::string& said = s.exitCode == 0 ? r.out : r.err;
        EXPECT_NE(said.find(s.said), std::string::npos) << said;
        EXPECT_TRUE(s.exitCode == 0 ? r.err.empty() : OneLine(r.err)) << r.err;
        if (s.settles != kNoWait) {
            ASSERT_TRUE(WaitStatus(w1, static_cast<Status>(s.settles)));
        }
        if (s.left != kAnywhere) {
            EXPECT_EQ(WindowRect(w1).left, s.left);
        }
    }
    EXPECT_TRUE(SameRect(WindowRect(w1), kLeftHome));
    EXPECT_EQ(StatusOf(windows[1]), LRESULT{rsNone});
    EXPECT_TRUE(engine_.value().Running());
}

// ---- run ----

class PopyctlRun : public PopyctlSession {
  protected:
    // Starts `run` for both windows and waits until the engine has tucked both away.
    void StartRun() {
        StartEngine();
        // W2 by its program: the rule by title comes first and keeps W1 at the left.
        run_.emplace(Exe(), L"run left:title=W1 right:exe=testwindows.exe");
        const std::string prefix = "attached as front-end 0x";
        ASSERT_TRUE(PollUntil([&] { return run_.value().Out().find('\n') != std::string::npos; },
                              kStartTimeout))
            << run_.value().Err();
        ASSERT_TRUE(run_.value().Out().starts_with(prefix)) << run_.value().Out();
        const auto handle = std::stoul(run_.value().Out().substr(prefix.size()), nullptr, 16);
        frontEnd_ = ::FindWindowW(L"PopyctlFrontEnd", nullptr);
        ASSERT_EQ(HandleParam(frontEnd_), handle);
        for (std::size_t i = 0; i < 2; ++i) {
            ASSERT_TRUE(WaitStatus(windows_[i], rsHidden)) << i;
        }
        ASSERT_FALSE(SameRect(WindowRect(windows_[0]), kLeftHome));
    }

    void ExpectBothHome() const {
        EXPECT_TRUE(SameRect(WindowRect(windows_[0]), kLeftHome));
        EXPECT_TRUE(SameRect(WindowRect(windows_[1]), kRightHome));
    }

    ForeignWindows windows_{{{L"W1", kLeftHome}, {L"W2", kRightHome}}};
    std::optional<ConsoleProgram> run_;
    HWND frontEnd_ = nullptr;
};

TEST_F(PopyctlRun, TakesMatchingWindowsAlsoLaterOnesAndGivesThemBackWhenClosed) {
    StartRun();
    const std::string out = run_.value().Out();
    EXPECT_NE(out.find("\"W1\" at left\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"W2\" at right\n"), std::string::npos) << out;
    constexpr RECT kLateHome{600, 700, 900, 900};
    ForeignWindows late({{L"W1", kLateHome}});
    EXPECT_TRUE(WaitStatus(late[0], rsHidden));

    ::PostMessageW(frontEnd_, WM_CLOSE, 0, 0);
    EXPECT_EQ(run_.value().Wait(kCommandTimeout), DWORD{0}) << run_.value().Err();
    EXPECT_TRUE(engine_.value().WaitForExit(kExitTimeout)) << "the engine did not end";
    ExpectBothHome();
    EXPECT_TRUE(SameRect(WindowRect(late[0]), kLateHome));
    EXPECT_NE(run_.value().Out().find("detached"), std::string::npos);
}

TEST_F(PopyctlRun, PutsItsWindowsBackItselfWhenTheEngineIsKilled) {
    StartRun();
    engine_.value().Kill();
    EXPECT_EQ(run_.value().Wait(kCommandTimeout), DWORD{3});
    ExpectBothHome();
    const std::string& err = run_.value().Err();
    EXPECT_TRUE(OneLine(err) &&
                err.find("the engine ended without our detach; 2 window(s)") != std::string::npos)
        << err;
}

// ---- rescue ----

using PopyctlRescue = PopyctlSession;

TEST_F(PopyctlRescue, BringsBackWhatAKilledEngineLeftOutsideAndNothingElse) {
    // Sliding is wide enough to take several ticks to hide at this step.
    constexpr RECT kSlidingHome{100, 700, 1100, 900};
    constexpr RECT kPartly{-150, 100, 150, 300};
    constexpr RECT kOnScreen{1300, 700, 1600, 900};
    ForeignWindows windows({{L"Lost", kLeftHome},
                            {L"Sliding", kSlidingHome},
                            {L"Partly", kPartly},
                            {L"OnScreen", kOnScreen}});
    const HWND lost = windows[0];
    const HWND sliding = windows[1];
    StartEngine();
    ASSERT_EQ(SendWithTimeout(engineWnd_, EM_REGISTER, HandleParam(lost), edLeft), LRESULT{0});
    ASSERT_TRUE(WaitStatus(lost, rsHidden));
    ASSERT_LE(WindowRect(lost).right, 0);
    ASSERT_EQ(SendWithTimeout(engineWnd_, EM_REGISTER, HandleParam(sliding), edLeft), LRESULT{0});
    ASSERT_TRUE(
        PollUntil([&] { return WindowRect(sliding).left < kSlidingHome.left; }, kSlideTimeout));
    engine_.value().Kill();
    // A move the engine sent just before it died may still reach the window afterwards: its
    // place counts once it has stood still for a while. Most likely still partly on screen;
    // should the last step have come first, it is lost like the other.
    const RECT slidingAtKill = SettledRect(sliding);
    const bool slidingLost = slidingAtKill.right <= 0;

    const ConsoleResult r = Popyctl(L"rescue");
    EXPECT_EQ(r.exitCode, DWORD{0}) << r.err;
    EXPECT_EQ(r.err, "");
    char lostLine[96];
    std::snprintf(lostLine, sizeof lostLine,
                  "moved 0x%08X \"Lost\" from (-300,400)-(0,600) to (0,400)\n",
                  static_cast<unsigned>(HandleParam(lost)));
    EXPECT_NE(r.out.find(lostLine), std::string::npos) << r.out;
    EXPECT_EQ(std::ranges::count(r.out, '\n'), slidingLost ? 2 : 1) << r.out;
    EXPECT_TRUE(SameRect(WindowRect(lost), {0, 400, 300, 600}));
    EXPECT_EQ(WindowRect(sliding).left, slidingLost ? 0 : slidingAtKill.left);
    EXPECT_TRUE(SameRect(WindowRect(windows[2]), kPartly));
    EXPECT_TRUE(SameRect(WindowRect(windows[3]), kOnScreen));
}

// A window whose program sleeps holds up neither the rescue of the others nor popyctl's end;
// it comes back when its program wakes.
TEST_F(PopyctlRescue, ASleepingProgramHoldsUpNothing) {
    constexpr RECT kSleeperLost{-300, 100, 0, 300};
    ForeignWindows sleeper({{L"Sleeper", kSleeperLost}});
    ForeignWindows lost({{L"Lost", {-300, 400, 0, 600}}});
    ASSERT_TRUE(sleeper.Sleep(std::chrono::milliseconds(8000)));
    const auto start = std::chrono::steady_clock::now();

    const ConsoleResult r = Popyctl(L"rescue");
    EXPECT_EQ(r.exitCode, DWORD{0}) << r.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(6000))
        << "rescue waited for the sleeper";
    EXPECT_TRUE(SameRect(WindowRect(lost[0]), {0, 400, 300, 600}));
    EXPECT_TRUE(SameRect(WindowRect(sleeper[0]), kSleeperLost)) << "moved while asleep";
    EXPECT_TRUE(PollUntil(
        [&] {
            return SameRect(WindowRect(sleeper[0]), {0, 100, 300, 300});
        },
        std::chrono::milliseconds(15000)));
}

}  // namespace
}  // namespace popyo::wine
