// The engine's options under Wine: their answers on the wire, and no pop over a full-screen
// program in front while the option is on. Cloaking and DWM frames Wine cannot show: there
// DWM answers nothing, and the native tests cover both.
#include <gtest/gtest.h>

#include <optional>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;

// The foreground plays no part in showing and hiding; a push waits OnTime 10 ticks.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=10\r\n"
    "OffTime=0\r\nOutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\n"
    "ChangePopyonStyle=False\r\n";
constexpr RECT kScreen{0, 0, 1920, 1080};
constexpr RECT kHome{100, 400, 400, 600};
constexpr POINT kAway{1500, 150};
constexpr POINT kAtLeft{0, 500};

class EngineOptions : public EngineSession {
  protected:
    std::optional<LRESULT> SetOption(EngineOption id, LPARAM value) const {
        return SendWithTimeout(engineWnd_, EM_SETOPTION, id, value);
    }
    std::optional<LRESULT> GetOption(WPARAM id) const {
        return SendWithTimeout(engineWnd_, EM_GETOPTION, id, 0);
    }
};

TEST_F(EngineOptions, AnswerOnTheWire) {
    StartEngine(kSettings);
    for (const OptionInfo& o : kEngineOptions) {
        EXPECT_EQ(GetOption(o.id), LRESULT{o.bare}) << o.name;
    }
    // -1 comes sign-extended, as for the other answers.
    EXPECT_EQ(GetOption(0), LRESULT{-1});
    EXPECT_EQ(SetOption(opQuietOverFullscreen, 1), LRESULT{0});
    EXPECT_EQ(SetOption(opQuietOverFullscreen, 2), LRESULT{-1});
    EXPECT_EQ(SetOption(opQuietOverFullscreen, -1), LRESULT{-1});
    EXPECT_EQ(SetOption(static_cast<EngineOption>(77), 1), LRESULT{-1});
    EXPECT_EQ(GetOption(opQuietOverFullscreen), LRESULT{1});
    EXPECT_EQ(SetOption(opQuietOverFullscreen, 0), LRESULT{1});
}

// A borderless window of this process that covers the screen, as a game or a video does.
class FullScreenProgram {
  public:
    FullScreenProgram() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = L"PopyoFullScreenProgram";
        ::RegisterClassExW(&wc);
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"full screen", WS_POPUP, kScreen.left,
                                 kScreen.top, kScreen.right - kScreen.left,
                                 kScreen.bottom - kScreen.top, nullptr, nullptr, wc.hInstance,
                                 nullptr);
        ::ShowWindow(wnd_, SW_SHOW);
        ::SetForegroundWindow(wnd_);
    }
    ~FullScreenProgram() { Close(); }
    FullScreenProgram(const FullScreenProgram&) = delete;
    FullScreenProgram& operator=(const FullScreenProgram&) = delete;

    HWND Window() const { return wnd_; }
    void Close() {
        if (wnd_ != nullptr) {
            ::DestroyWindow(wnd_);
            wnd_ = nullptr;
        }
    }

  private:
    HWND wnd_ = nullptr;
};

class FullScreenQuiet : public EngineOptions, public ::testing::WithParamInterface<bool> {};

INSTANTIATE_TEST_SUITE_P(Option,
                         FullScreenQuiet,
                         ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "On" : "Off";
                         });

// The cursor rests at the left edge for a second over the program: with the option on the
// tucked-away window stays where it is, and comes out as before once the program has gone.
TEST_P(FullScreenQuiet, PushOverTheProgram) {
    const bool quiet = GetParam();
    ASSERT_TRUE(MoveCursorTo(kAway));
    ForeignWindows windows({{L"tucked away", kHome}});
    StartEngine(kSettings);
    const HWND wnd = windows[0];
    Register(wnd, edLeft);
    ASSERT_TRUE(WaitStatus(wnd, rsHidden));
    ASSERT_EQ(SetOption(opQuietOverFullscreen, quiet ? 1 : 0), LRESULT{0});

    FullScreenProgram program;
    ASSERT_TRUE(PollUntil([&] { return ::GetForegroundWindow() == program.Window(); }, 5s));
    ASSERT_TRUE(MoveCursorTo(kAtLeft));
    if (quiet) {
        bool stayed = true;
        PollUntil(
            [&] {
                stayed = stayed && StatusOf(wnd) == LRESULT{rsHidden};
                return !stayed;
            },
            1s);
        EXPECT_TRUE(stayed) << "popped over the full-screen program";
        EXPECT_EQ(WindowRect(wnd).right, 0);
    } else {
        EXPECT_TRUE(WaitStatus(wnd, rsShown)) << "the push popped nothing";
        return;
    }

    program.Close();
    ASSERT_TRUE(MoveCursorTo(kAway));
    PumpFor(200ms);
    ASSERT_TRUE(MoveCursorTo(kAtLeft));
    EXPECT_TRUE(WaitStatus(wnd, rsShown)) << "no pop once the program has gone";
}

}  // namespace
}  // namespace popyo::wine
