// Frames between ticks under Wine: a window of a thread of its own logs every move the
// engine makes, with its time. With three frames a tick it moves about three times a tick,
// through every place a bare engine puts it, and only along the way between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

using namespace std::chrono_literals;

// A shown window the cursor leaves hides at once; the foreground plays no part.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=10\r\n"
    "OffTime=0\r\nOutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\n"
    "ChangePopyonStyle=False\r\n";
constexpr RECT kHome{100, 400, 700, 600};
constexpr POINT kInside{400, 500};
constexpr POINT kAway{1500, 150};
// Where a bare engine puts the window at each tick: in from x = 100, 600 wide, and out.
const std::vector<LONG> kIn = {-50, -200, -350, -500, -600};
const std::vector<LONG> kOut = {-450, -300, -150, 0};

struct Moved {
    double ms;
    LONG left;
};

// A window on a thread that does nothing but pump, so that every move the engine sends
// is taken at once, and logged.
class LoggedWindow {
  public:
    LoggedWindow() {
        ::InitializeCriticalSection(&lock_);
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = ::CreateThread(nullptr, 0, &LoggedWindow::Run, this, 0, &threadId_);
        ::WaitForSingleObject(ready_, 5000);
    }
    ~LoggedWindow() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        ::WaitForSingleObject(thread_, 5000);
        ::CloseHandle(thread_);
        ::CloseHandle(ready_);
        ::DeleteCriticalSection(&lock_);
    }
    LoggedWindow(const LoggedWindow&) = delete;
    LoggedWindow& operator=(const LoggedWindow&) = delete;

    HWND Window() const { return wnd_; }
    std::vector<Moved> Take() {
        ::EnterCriticalSection(&lock_);
        std::vector<Moved> moves;
        moves.swap(moves_);
        ::LeaveCriticalSection(&lock_);
        return moves;
    }

  private:
    static DWORD WINAPI Run(void* self) {
        static_cast<LoggedWindow*>(self)->Pump();
        return 0;
    }

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        auto* self = reinterpret_cast<LoggedWindow*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (msg == WM_WINDOWPOSCHANGED && self != nullptr) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if ((pos->flags & SWP_NOMOVE) == 0) {
                self->Log(pos->x);
            }
        }
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }

    void Log(LONG left) {
        LARGE_INTEGER now;
        LARGE_INTEGER frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        ::EnterCriticalSection(&lock_);
        if (moves_.empty() || moves_.back().left != left) {
            moves_.push_back({1000.0 * static_cast<double>(now.QuadPart) /
                                  static_cast<double>(frequency.QuadPart),
                              left});
        }
        ::LeaveCriticalSection(&lock_);
    }

    void Pump() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"PopyoLoggedWindow";
        ::RegisterClassExW(&wc);
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"logged", WS_OVERLAPPEDWINDOW, kHome.left,
                                 kHome.top, kHome.right - kHome.left, kHome.bottom - kHome.top,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::ShowWindow(wnd_, SW_SHOWNOACTIVATE);
        ::SetEvent(ready_);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&msg);
        }
        ::DestroyWindow(wnd_);
    }

    CRITICAL_SECTION lock_;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND wnd_ = nullptr;
    std::vector<Moved> moves_;
};

class SlideFrames : public EngineSession, public ::testing::WithParamInterface<int> {
  protected:
    // The places of one slide, from its first move to its last.
    std::vector<Moved> Slide(Status until, const std::function<void()>& start) {
        window_.Take();
        start();
        EXPECT_TRUE(WaitStatus(window_.Window(), until));
        PumpFor(100ms);
        return window_.Take();
    }

    // Every place a bare engine reaches, in order, and between them only places on the way.
    static void ExpectTickPlaces(const std::vector<Moved>& moves, const std::vector<LONG>& ticks) {
        std::vector<LONG> lefts;
        for (const Moved& m : moves) {
            lefts.push_back(m.left);
        }
        auto next = lefts.begin();
        for (const LONG at : ticks) {
            next = std::find(next, lefts.end(), at);
            ASSERT_NE(next, lefts.end())
                << at << " missing from " << ::testing::PrintToString(lefts);
        }
        const bool in = ticks.back() < ticks.front();
        EXPECT_TRUE(in ? std::is_sorted(lefts.rbegin(), lefts.rend())
                       : std::is_sorted(lefts.begin(), lefts.end()))
            << ::testing::PrintToString(lefts);
        EXPECT_EQ(lefts.back(), ticks.back());
    }

    static std::string Log(const std::vector<Moved>& slide) {
        std::string log;
        for (const Moved& m : slide) {
            log += std::to_string(static_cast<int>(m.ms - slide.front().ms)) +
                   "ms:" + std::to_string(m.left) + " ";
        }
        return log;
    }

    LoggedWindow window_;
};

INSTANTIATE_TEST_SUITE_P(Frames,
                         SlideFrames,
                         ::testing::Values(1, 3),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return "PerTick" + std::to_string(p.param);
                         });

TEST_P(SlideFrames, InAndOutThroughTheTickPlaces) {
    const int frames = GetParam();
    ASSERT_TRUE(MoveCursorTo(kInside));
    StartEngine(kSettings);
    ASSERT_EQ(SendWithTimeout(engineWnd_, EM_SETOPTION, opSlideFrames, frames), LRESULT{1});
    const HWND wnd = window_.Window();
    Register(wnd, edLeft);

    const auto in = Slide(rsHidden, [] { EXPECT_TRUE(MoveCursorTo(kAway)); });
    ASSERT_FALSE(in.empty());
    ExpectTickPlaces(in, kIn);
    const auto out = Slide(rsShown, [&] { EXPECT_EQ(Send(EM_POP, nullptr, edLeft), LRESULT{0}); });
    ASSERT_FALSE(out.empty());
    ExpectTickPlaces(out, kOut);
    if (frames == 1) {
        EXPECT_EQ(in.size(), kIn.size());
        EXPECT_EQ(out.size(), kOut.size());
    } else {
        // Frames are drawn between the ticks, and a slide still ends on its tick's time, with
        // room for a loaded machine whose late timer skips frames. How many frames a tick a
        // machine manages is the bench's to report.
        EXPECT_GT(in.size() + out.size(), kIn.size() + kOut.size())
            << "in: " << Log(in) << "\nout: " << Log(out);
        for (const auto* slide : {&in, &out}) {
            const auto ticks = static_cast<double>(slide == &in ? kIn.size() : kOut.size());
            EXPECT_LT(slide->back().ms - slide->front().ms, ticks * 50 * 4) << Log(*slide);
        }
    }
}

}  // namespace
}  // namespace popyo::wine
