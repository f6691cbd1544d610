#include "frontends/popyctl/Run_win.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "frontends/common/PutBack_win.h"
#include "frontends/common/TopWindows_win.h"
#include "platform/Win32Util_win.h"
#include "protocol/PopyoDef.h"

namespace popyctl {
namespace {

using namespace popyo;
using namespace popyo::frontend;

constexpr UINT kStopMessage = WM_APP + 1;
constexpr DWORD kScanPeriodMs = 250;
constexpr wchar_t kWindowClass[] = L"PopyctlFrontEnd";
constexpr wchar_t kWindowTitle[] = L"popyctl run";

// The console control handler runs on a thread of its own and receives no context, so the
// window it wakes is the one value kept outside every object.
std::atomic<HWND>& StopTarget() {
    static std::atomic<HWND> target{nullptr};
    return target;
}

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (HWND wnd = StopTarget().load()) {
        ::PostMessageW(wnd, kStopMessage, 0, 0);
    }
    // When the console closes, the process ends as soon as this returns: give the main
    // thread time to detach and take the windows home first; it exits the process itself.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        ::Sleep(EngineLink::kDetachTimeoutMs);
    }
    return TRUE;
}

LRESULT CALLBACK FrontEndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_CLOSE) {
        ::PostMessageW(wnd, kStopMessage, 0, 0);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

// The hidden top-level window that is this front-end's identity to the engine.
class FrontEndWindow {
  public:
    FrontEndWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = FrontEndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        class_ = ::RegisterClassW(&wc);
        wnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, kWindowTitle, WS_OVERLAPPED, 0, 0,
                                 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
        if (wnd_ == nullptr) {
            throw Failure("cannot create the front-end window");
        }
    }
    ~FrontEndWindow() {
        ::DestroyWindow(wnd_);
        if (class_ != 0) {
            ::UnregisterClassW(kWindowClass, ::GetModuleHandleW(nullptr));
        }
    }
    FrontEndWindow(const FrontEndWindow&) = delete;
    FrontEndWindow& operator=(const FrontEndWindow&) = delete;

    HWND Get() const { return wnd_; }

  private:
    ATOM class_ = 0;
    HWND wnd_ = nullptr;
};

// Routes Ctrl+C, Ctrl+Break and the console's close to the window while it lives.
class ConsoleStopGuard {
  public:
    explicit ConsoleStopGuard(HWND wnd) {
        StopTarget().store(wnd);
        ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    }
    ~ConsoleStopGuard() {
        ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
        StopTarget().store(nullptr);
    }
    ConsoleStopGuard(const ConsoleStopGuard&) = delete;
    ConsoleStopGuard& operator=(const ConsoleStopGuard&) = delete;
};

class RulesFrontEnd {
  public:
    RulesFrontEnd(const EngineLink& engine, const std::vector<Rule>& rules)
        : engine_(engine), rules_(rules), process_(OpenEngineProcess(engine)) {}

    int Run() {
        // Routed before the attach, so that no Ctrl+C can end us attached.
        const ConsoleStopGuard stop(self_.Get());
        Attach();
        for (;;) {
            const HANDLE process = process_.Get();
            if (::MsgWaitForMultipleObjects(1, &process, FALSE, kScanPeriodMs, QS_ALLINPUT) ==
                WAIT_OBJECT_0) {
                return PutBackAfterEngineEnded();
            }
            if (!PumpMessages()) {
                return Detach();
            }
            try {
                TakeNewWindows();
            } catch (const Failure& e) {
                if (EngineEnded()) {
                    return PutBackAfterEngineEnded();
                }
                // A busy engine is no reason to leave its windows without a front-end.
                std::fprintf(stderr, "popyctl: %s; trying again\n", e.what());
            }
        }
    }

  private:
    static UniqueHandle OpenEngineProcess(const EngineLink& engine) {
        UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, engine.ProcessId()));
        if (!process) {
            throw Failure("cannot watch the engine process");
        }
        return process;
    }

    Hwnd Self() const { return FromHwnd(self_.Get()); }

    bool EngineEnded() const { return ::WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }

    void Attach() {
        // An ordinary front-end, not the main one: the engine keeps a single main front-end
        // and silently refuses a second, so a second `run` attached as main would own
        // nothing. Ordinary front-ends coexist; nothing here needs to be the main one.
        engine_.Send(EM_ATTACH, Self(), 0);
        if (engine_.Send(EM_CLASSIFY, Self(), Self()) != wcFrontEnd) {
            throw Failure("the engine did not attach " + FormatHandle(Self()));
        }
        PrintLine("attached as front-end " + FormatHandle(Self()) +
                  "; Ctrl+C or closing this front-end puts every window back");
    }

    // False once a stop was asked for, by Ctrl+C or WM_CLOSE.
    bool PumpMessages() {
        MSG msg;
        bool goOn = true;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kStopMessage || msg.message == WM_QUIT) {
                goOn = false;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        return goOn;
    }

    bool IsTaken(Hwnd handle) const {
        return std::any_of(taken_.begin(), taken_.end(),
                           [&](const Taken& t) { return FromHwnd(t.wnd) == handle; });
    }

    void TakeNewWindows() {
        // A handle freed by a closed window may come back for a new one, which is new to us.
        std::erase_if(taken_, [](const Taken& t) { return !::IsWindow(t.wnd); });
        const Program program = NamesAProgram(rules_) ? Program::Named : Program::Unnamed;
        for (const TopWindow& window : SnapshotTopWindows(Scope::ShownWindows, program)) {
            const auto edge = EdgeFor(rules_, window);
            if (edge && !IsTaken(window.handle)) {
                Take(window, *edge);
            }
        }
    }

    void Take(const TopWindow& window, Edge edge) {
        const Taken note = TakeNote(ToHwnd(window.handle));
        engine_.Send(EM_REGISTER, window.handle, edge);
        // The engine refuses some windows (minimized meanwhile, the desktop, the taskbar);
        // such a window is tried again on a later scan.
        if (engine_.Send(EM_GETSTATUS, window.handle) == rsNone) {
            return;
        }
        engine_.Send(EM_SETOWNER, window.handle, Self());
        taken_.push_back(note);
        PrintLine("took " + FormatHandle(window.handle) + " \"" + window.title + "\" at " +
                  EdgeWord(edge));
    }

    int Detach() {
        try {
            // A sent detach returns once the engine has put every window back.
            engine_.Send(EM_DETACH, Self(), 0, EngineLink::kDetachTimeoutMs);
        } catch (const Failure&) {
            if (EngineEnded()) {
                return PutBackAfterEngineEnded();
            }
            throw;
        }
        PrintLine("detached; the engine put every window back and ended");
        return kExitOk;
    }

    // The watchdog: the engine ended without our detach. Killed or crashed, it leaves the
    // windows it hid beyond the edge; put each back where it stood when it was taken, as the
    // engine's own release would have. (Another front-end's detach also ends the engine,
    // but then the engine has put every window back itself.)
    int PutBackAfterEngineEnded() {
        const int putBack = PutBackAll(taken_);
        std::fprintf(stderr,
                     "popyctl: the engine ended without our detach; %d window(s) had to be put "
                     "back where they stood\n",
                     putBack);
        return kExitEngineLost;
    }

    const EngineLink& engine_;
    const std::vector<Rule>& rules_;
    UniqueHandle process_;
    FrontEndWindow self_;
    std::vector<Taken> taken_;
};

}  // namespace

int RunRules(const EngineLink& engine, const std::vector<Rule>& rules) {
    RulesFrontEnd frontEnd(engine, rules);
    return frontEnd.Run();
}

}  // namespace popyctl
