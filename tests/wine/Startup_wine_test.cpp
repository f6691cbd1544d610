// Start-up of the real engine under Wine: its hidden window, the first settings file, the
// refusal of a second instance, the error box for a bad settings file, closing, and the
// idle cost of its timer.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <string>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;

constexpr char kDefaultSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=True\r\nhiact=True\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=10\r\n"
    "OffTime=10\r\nOutCheck=True\r\nSwitchOnTime=True\r\nAutoActivate=True\r\n"
    "ChangePopyonStyle=False\r\n";

// A plain window of the test process for the engine to slide. The test thread pumps its
// messages whenever it waits (PollUntil, WaitForExit).
class TestWindow {
  public:
    explicit TestWindow(RECT r) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PopyoWineTestWindow";
        ::RegisterClassExW(&wc);  // already registered by an earlier test: fine
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"slide me", WS_POPUP | WS_BORDER, r.left,
                                 r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        // Not activated: the foreground stays out of the picture.
        ::ShowWindow(wnd_, SW_SHOWNOACTIVATE);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow() { ::DestroyWindow(wnd_); }

    HWND Handle() const { return wnd_; }
    RECT Rect() const {
        RECT r{};
        ::GetWindowRect(wnd_, &r);
        return r;
    }
    // The 32-bit handle value the control messages carry.
    WPARAM Param() const { return static_cast<WPARAM>(reinterpret_cast<UINT_PTR>(wnd_)); }

  private:
    HWND wnd_ = nullptr;
};

std::optional<LRESULT> QueryStatus(HWND engine, const TestWindow& window) {
    return SendWithTimeout(engine, EM_GETSTATUS, window.Param(), 0);
}

// Whether the engine thread has finished start-up and answers control messages: a status
// query for handle 0 answers "not registered".
bool Answers(HWND engine) {
    return SendWithTimeout(engine, EM_GETSTATUS, 0, 0) == LRESULT{0};
}

// The engine is single-instance: one left running by an earlier test (or a killed test
// client) would turn every start into a refusal.
void AssertNoEngineRunning() {
    ASSERT_EQ(FindEngineWindow(), nullptr) << "an engine from elsewhere is still running";
}

class EngineStartup : public ::testing::Test {
  protected:
    void SetUp() override { AssertNoEngineRunning(); }

    EngineSandbox sandbox_;
    ProgmanStub stub_;
};

// Every start-up test runs twice: once with the shell's "Progman" window present, as on
// Windows, and once without it, as on Wine's own desktop.
class EngineOnAnyDesktop : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        AssertNoEngineRunning();
        if (GetParam()) {
            stub_.emplace();
        }
    }

    EngineSandbox sandbox_;
    std::optional<ProgmanStub> stub_;
};

std::string DesktopName(const ::testing::TestParamInfo<bool>& param) {
    return param.param ? "WithProgman" : "WithoutProgman";
}

INSTANTIATE_TEST_SUITE_P(Desktop, EngineOnAnyDesktop, ::testing::Values(true, false), DesktopName);

TEST_P(EngineOnAnyDesktop, FirstStartHidesWindowAndWritesDefaults) {
    Process engine = sandbox_.Start();
    HWND wnd = WaitForEngineWindow(engine);
    ASSERT_NE(wnd, nullptr) << "no engine window";
    ASSERT_TRUE(PollUntil([&] { return Answers(wnd); }, kStartTimeout));

    EXPECT_FALSE(::IsWindowVisible(wnd));
    RECT client{};
    ::GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 115);
    EXPECT_EQ(client.bottom, 27);
    EXPECT_EQ(sandbox_.ReadSettings(), std::string(kDefaultSettings));
}

// A window registered at the right edge must end beyond the screen's right side, which
// only works when the engine knows the real desktop rectangle; closing the engine puts the
// window back where it stood.
TEST_P(EngineOnAnyDesktop, HidesAtScreenEdgeAndWmCloseEndsAfterRestoring) {
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    // Well away from every edge and from the window, so nothing pops it out again.
    ASSERT_TRUE(::SetCursorPos(screenWidth / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2));
    const RECT home{screenWidth - 400, 300, screenWidth - 100, 500};
    TestWindow window(home);

    Process engine = sandbox_.Start();
    HWND wnd = WaitForEngineWindow(engine);
    ASSERT_NE(wnd, nullptr);
    ASSERT_EQ(SendWithTimeout(wnd, EM_REGISTER, window.Param(), edRight), LRESULT{0});
    ASSERT_TRUE(PollUntil([&] { return QueryStatus(wnd, window) == LRESULT{rsHidden}; }, 10s))
        << "status " << QueryStatus(wnd, window).value_or(-1);
    EXPECT_GE(window.Rect().left, screenWidth);

    ASSERT_TRUE(::PostMessageW(wnd, WM_CLOSE, 0, 0));
    ASSERT_TRUE(engine.WaitForExit(kExitTimeout)) << "the engine did not end on WM_CLOSE";
    EXPECT_EQ(FindEngineWindow(), nullptr);
    const RECT r = window.Rect();
    EXPECT_EQ(r.left, home.left);
    EXPECT_EQ(r.top, home.top);
}

// The second engine shows its notice and ends without writing the settings
// file; the first keeps running.
TEST_F(EngineStartup, SecondStartIsRefused) {
    Process first = sandbox_.Start();
    HWND wnd = WaitForEngineWindow(first);
    ASSERT_NE(wnd, nullptr);
    ASSERT_TRUE(PollUntil([&] { return Answers(wnd); }, kStartTimeout));
    // Had the second start gone on, it would write a fresh file.
    sandbox_.RemoveSettings();

    Process second = sandbox_.Start();
    HWND box = WaitForMessageBox(second.Id());
    ASSERT_NE(box, nullptr) << "no notice from the second engine";
    const MessageBoxContent notice = ReadMessageBox(box);
    EXPECT_EQ(notice.text, L"二重起動は出来ません。");
    EXPECT_EQ(notice.caption, L"QovPopyonEngine");
    EXPECT_FALSE(notice.icon);
    EXPECT_TRUE(second.Running()) << "the notice must wait for the user";

    DismissMessageBox(box);
    EXPECT_TRUE(second.WaitForExit(kExitTimeout)) << "the refused engine did not end";
    EXPECT_EQ(sandbox_.ReadSettings(), std::nullopt);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(FindEngineWindow(), wnd);
    EXPECT_TRUE(Answers(wnd));
}

TEST_F(EngineStartup, BadIntegerShowsErrorBoxAndEngineRuns) {
    constexpr char kBadFile[] = "wx=195\r\nmv=abc\r\n";
    sandbox_.WriteSettings(kBadFile);

    Process engine = sandbox_.Start();
    HWND box = WaitForMessageBox(engine.Id());
    ASSERT_NE(box, nullptr) << "no error box";
    const MessageBoxContent error = ReadMessageBox(box);
    EXPECT_EQ(error.text, L"'abc' is not a valid integer value.");
    EXPECT_EQ(error.caption, L"Qovポピョンと！Engine");
    EXPECT_TRUE(error.icon);

    DismissMessageBox(box);
    HWND wnd = WaitForEngineWindow(engine);
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(PollUntil([&] { return Answers(wnd); }, kStartTimeout));
    EXPECT_TRUE(engine.Running());
    // The defaults are not written over a file that failed to load.
    EXPECT_EQ(sandbox_.ReadSettings(), std::string(kBadFile));
}

using EngineIdle = EngineStartup;

// Idle, the engine only runs its 50 ms tick. It measures 0.7-0.9% of one core on an idle
// machine, most of it Wine's timer and the cursor read every tick needs (an X round trip);
// the guard leaves room for a busy CI machine without letting a real regression through.
TEST_F(EngineIdle, StaysNearOnePercentOfOneCore) {
    Process engine = sandbox_.Start();
    HWND wnd = WaitForEngineWindow(engine);
    ASSERT_NE(wnd, nullptr);
    ASSERT_TRUE(PollUntil([&] { return Answers(wnd); }, kStartTimeout));
    // Start-up work is not idle work.
    PumpFor(1s);

    const auto cpuBefore = engine.CpuTime();
    const ULONGLONG wallBefore = ::GetTickCount64();
    ASSERT_TRUE(cpuBefore.has_value());
    PumpFor(20s);
    const auto cpuAfter = engine.CpuTime();
    const ULONGLONG wallMs = ::GetTickCount64() - wallBefore;
    ASSERT_TRUE(cpuAfter.has_value()) << "the engine is gone";

    const double cpuMs = std::chrono::duration<double, std::milli>(*cpuAfter - *cpuBefore).count();
    const double percent = 100.0 * cpuMs / static_cast<double>(wallMs);
    std::cout << "idle engine CPU: " << cpuMs << " ms in " << wallMs << " ms = " << percent
              << "% of one core\n";
    RecordProperty("idle_cpu_percent", std::to_string(percent));
    EXPECT_LT(percent, 1.5);
}

}  // namespace
}  // namespace popyo::wine
