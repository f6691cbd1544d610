#include "frontends/tray/TrayApp_win.h"

#include <windowsx.h>

#include "frontends/common/PutBack_win.h"
#include "frontends/tray/Notice_win.h"
#include "frontends/tray/TrayMenu.h"
#include "frontends/tray/TrayProcess_win.h"
#include "platform/Win32Util_win.h"
#include "platform/WindowThunk_win.h"

namespace popyo::tray {
namespace {

constexpr UINT kIconMessage = WM_APP + 1;
// Fast enough that a rule's window is taken, and a saved rules file read, well within a
// second; every tick costs a look at the shown top-level windows.
constexpr UINT kTickMs = 200;
// While the icon could not be added, it is tried again this often (in ticks).
constexpr unsigned kIconRetryTicks = 25;
// An engine that ends again this soon after it was started again is not started a third
// time: something keeps it from running.
constexpr ULONGLONG kRestartQuietMs = 60000;

HICON LoadTrayIcon(HINSTANCE instance) {
    return static_cast<HICON>(::LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

ATOM RegisterTrayClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowThunk<TrayApp>;
    wc.hInstance = instance;
    wc.lpszClassName = kTrayWindowClass;
    return ::RegisterClassExW(&wc);
}

std::vector<frontend::Taken> TakenOf(const std::vector<Held>& held) {
    std::vector<frontend::Taken> taken;
    for (const Held& h : held) {
        taken.push_back({ToHwnd(h.handle), h.home, h.maximized});
    }
    return taken;
}

std::wstring ExitCodeText(DWORD code) {
    wchar_t text[16];
    ::swprintf(text, std::size(text), L"0x%08lX", code);
    return text;
}

// Resets a flag when the scope ends, however it ends.
class Guard {
  public:
    explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
    ~Guard() { flag_ = false; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

  private:
    bool& flag_;
};

}  // namespace

TrayApp::TrayApp(HINSTANCE instance, std::wstring rulesPath)
    : instance_(instance), exePath_(ExePath()), rulesPath_(std::move(rulesPath)) {
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    RegisterTrayClass(instance);
    // A top-level window, never shown: FindWindow finds it, and the shell's
    // TaskbarCreated broadcast reaches it.
    ::CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClass, L"PopyonnTray", WS_POPUP, 0, 0, 0, 0,
                      nullptr, nullptr, instance, this);
    if (wnd_ == nullptr) {
        throw frontend::Failure("cannot create the tray's window");
    }
    icon_ = std::make_unique<NotifyIcon>(wnd_, kIconMessage, LoadTrayIcon(instance));
    hotkeys_ = std::make_unique<HotkeyRegistrar>(wnd_);
}

TrayApp::~TrayApp() {
    hotkeys_.reset();
    icon_.reset();
    if (wnd_ != nullptr) {
        ::DestroyWindow(wnd_);
    }
    ::UnregisterClassW(kTrayWindowClass, instance_);
}

int TrayApp::Run() {
    LoadRules(true);
    if (!ConnectEngine(false)) {
        return 1;
    }
    UpdateTooltip();
    icon_->Show();
    ApplyHotkeys(config_.hotkeys, true);
    ::SetTimer(wnd_, kTickTimer, kTickMs, nullptr);
    OnTick();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

bool TrayApp::ConnectEngine(bool restart) {
    std::wstring why;
    engine_ = TrayEngine::Connect(DirectoryOf(exePath_), wnd_, why);
    if (engine_) {
        // An engine keeps its options only while it runs: a new one starts bare.
        SendEngineOptions();
        return true;
    }
    ShowNoticeAndWait((restart ? L"PopyonnEngine ended unexpectedly and could not be started "
                                 L"again, so PopyonnTray ends too.\n\n"
                               : L"PopyonnTray needs PopyonnEngine and could not reach it.\n\n") +
                      why);
    return false;
}

LRESULT TrayApp::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
        icon_->Show();
        return 0;
    }
    switch (msg) {
        case kIconMessage:
            OnIconEvent(LOWORD(lParam), {GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
            return 0;
        case WM_TIMER:
            if (wParam == kTickTimer) {
                OnTick();
            } else if (wParam == kPopTimer) {
                FinishPop();
            }
            return 0;
        case WM_HOTKEY: {
            HotkeyAction action;
            if (HotkeyRegistrar::ActionOf(wParam, action)) {
                OnHotkey(action);
            }
            return 0;
        }
        case WM_COMMAND: {
            std::vector<Hwnd> shown;
            for (const Held& held : holdings_.All()) {
                shown.push_back(held.handle);
            }
            OnCommand(LOWORD(wParam), TuckTarget(lastForeground_), shown);
            return 0;
        }
        case WM_CLOSE:
            Shutdown();
            ::DestroyWindow(wnd_);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The session ends once this returns: every window goes home first.
            if (wParam != FALSE) {
                Shutdown();
            }
            return 0;
        case WM_DESTROY:
            wnd_ = nullptr;
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(wnd_, msg, wParam, lParam);
    }
}

void TrayApp::OnTick() {
    // A message sent to the engine lets other sent messages in, never a second tick.
    if (inTick_ || shuttingDown_ || !engine_) {
        return;
    }
    const Guard guard(inTick_);
    ++ticks_;
    if (const auto exitCode = engine_->Ended()) {
        OnEngineEnded(*exitCode);
        return;
    }
    if (!icon_->Shown() && ticks_ % kIconRetryTicks == 0) {
        icon_->Show();
    }
    TrackForeground();
    PollRulesFile();
    try {
        ForgetGoneWindows();
        TakeRuleWindows();
    } catch (const frontend::Failure&) {
        // The engine is busy or gone: the next tick tells which.
    }
    UpdateTooltip();
}

void TrayApp::OnEngineEnded(DWORD exitCode) {
    // Killed or crashed, the engine leaves the windows it hid beyond the edge; each goes
    // back where it stood when the tray took it, as the engine's release would have put it.
    const int putBack = frontend::PutBackAll(TakenOf(holdings_.All()));
    holdings_.Clear();
    engine_.reset();
    UpdateTooltip();
    // Exit code 0: closed in order (another front-end's detach, or its window closed), after
    // it had put every window back itself. The tray has nothing left to drive.
    if (exitCode == 0) {
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        return;
    }
    const ULONGLONG now = ::GetTickCount64();
    if (restartedAt_ != 0 && now - restartedAt_ < kRestartQuietMs) {
        ShowNoticeAndWait(L"PopyonnEngine ended unexpectedly again (exit code " +
                          ExitCodeText(exitCode) + L") soon after it was started again. " +
                          std::to_wstring(putBack) +
                          L" window(s) were put back where they stood. PopyonnTray ends.");
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        return;
    }
    restartedAt_ = now;
    if (!ConnectEngine(true)) {
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        return;
    }
    icon_->Balloon(L"PopyonnEngine was started again",
                   L"It ended unexpectedly (exit code " + ExitCodeText(exitCode) + L"). " +
                       std::to_wstring(putBack) +
                       L" window(s) were put back where they stood; the rules take theirs again.");
}

void TrayApp::Shutdown() {
    if (shuttingDown_) {
        return;
    }
    shuttingDown_ = true;
    ::KillTimer(wnd_, kTickTimer);
    hotkeys_->UnregisterAll();
    // The detach makes the engine put every window back and end. Should it not answer, the
    // tray puts back its own windows.
    if (engine_ && (engine_->Ended() || !engine_->Detach())) {
        frontend::PutBackAll(TakenOf(holdings_.All()));
    }
    holdings_.Clear();
    engine_.reset();
    icon_->Remove();
}

void TrayApp::OnIconEvent(UINT event, POINT anchor) {
    if (shuttingDown_) {
        return;
    }
    if (event == WM_CONTEXTMENU) {
        ShowMenu(anchor);
    } else if (event == WM_LBUTTONDBLCLK && holdings_.LastEdge() != edNone && engine_) {
        try {
            engine_->Pop(holdings_.LastEdge());
        } catch (const frontend::Failure&) {
        }
    }
}

void TrayApp::UpdateTooltip() {
    icon_->SetTip(Widen(TooltipText(holdings_.All().size())));
}

}  // namespace popyo::tray
