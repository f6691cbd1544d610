#include "frontends/tray/TrayApp_win.h"

#include <windowsx.h>

#include <algorithm>

#include "frontends/common/PutBack_win.h"
#include "frontends/tray/Notice_win.h"
#include "frontends/tray/TrayMenu.h"
#include "frontends/tray/TrayProcess_win.h"
#include "frontends/tray/TrayTexts_win.h"
#include "platform/Win32Util_win.h"
#include "platform/WindowThunk_win.h"

namespace popyo::tray {
namespace {

constexpr UINT kIconMessage = WM_APP + 1;
// Posted when a window the tray holds was destroyed.
constexpr UINT kHeldWindowGone = WM_APP + 3;
// Windows and the rules file come by events; the tick follows the foreground where the
// system does not report it, and keeps the time of the slow scan.
constexpr UINT kTickMs = WindowWatch::kTickMs;
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
    // Until the rules file says otherwise, the tray speaks as Windows does.
    SetLanguage(lnFollowWindows);
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
    events_.reset();
    hotkeys_.reset();
    icon_.reset();
    if (wnd_ != nullptr) {
        ::DestroyWindow(wnd_);
    }
    ::UnregisterClassW(kTrayWindowClass, instance_);
}

int TrayApp::Run() {
    // Watched before it is read, so that no save in between goes unnoticed.
    rulesFolder_ = FolderWatch(DirectoryOf(rulesPath_));
    LoadRules(true);
    if (!ConnectEngine(false)) {
        return 1;
    }
    UpdateTooltip();
    icon_->Show();
    ApplyHotkeys(config_.hotkeys, config_.summons, true);
    events_ =
        std::make_unique<WinEventHooks>([this](DWORD event, HWND wnd, LONG object, LONG child) {
            OnWindowEvent(event, wnd, object, child);
        });
    ::SetTimer(wnd_, kTickTimer, kTickMs, nullptr);
    watch_.ScanSoon(::GetTickCount64());
    OnTick();
    return RunMessageLoop();
}

// Besides messages, the loop waits on the engine's process, whose end the tray mends at
// once, and on the rules file's folder.
int TrayApp::RunMessageLoop() {
    for (;;) {
        HANDLE waits[2];
        DWORD count = 0;
        if (engine_ && !shuttingDown_) {
            waits[count++] = engine_->Process();
        }
        if (rulesFolder_.Handle() != nullptr) {
            waits[count++] = rulesFolder_.Handle();
        }
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(count, waits, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            if (waits[woke - WAIT_OBJECT_0] == rulesFolder_.Handle()) {
                rulesFolder_.Rearm();
                watch_.RulesTouched(::GetTickCount64());
                ArmLookTimer();
            } else {
                OnEngineSignalled();
            }
        } else if (woke == WAIT_FAILED) {
            // Should a handle fail, the scan stands in for the folder's notification.
            rulesFolder_ = FolderWatch();
            ::WaitMessage();
        }
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                return 0;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void TrayApp::OnEngineSignalled() {
    if (inTick_ || shuttingDown_ || !engine_) {
        return;
    }
    const Guard guard(inTick_);
    if (const auto exitCode = engine_->Ended()) {
        OnEngineEnded(*exitCode);
        // A new engine: the rules take their windows again.
        watch_.ScanSoon(::GetTickCount64());
    }
}

bool TrayApp::ConnectEngine(bool restart) {
    std::wstring why;
    engine_ = TrayEngine::Connect(DirectoryOf(exePath_), wnd_, language_, why);
    if (engine_) {
        // An engine keeps its options only while it runs: a new one starts bare.
        SendEngineOptions();
        return true;
    }
    ShowNoticeAndWait(SayW(restart ? TrayText::EngineNotRestarted : TrayText::EngineUnreachable,
                           language_, {why}));
    return false;
}

LRESULT TrayApp::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    ++messages_;
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
            } else if (wParam == kLookTimer) {
                OnLookTimer();
            } else if (wParam == kPopTimer) {
                OnPopTimer();
            } else if (wParam == kLaunchTimer) {
                OnLaunchTimer();
            }
            return 0;
        case kHeldWindowGone:
            holdings_.Prune([](Hwnd h) { return ::IsWindow(ToHwnd(h)) != FALSE; },
                            [](Hwnd) { return true; });
            UpdateTooltip();
            return 0;
        case WM_HOTKEY: {
            HotkeyAction action;
            std::size_t summon = 0;
            if (HotkeyRegistrar::ActionOf(wParam, action)) {
                OnHotkey(action);
            } else if (HotkeyRegistrar::SummonOf(wParam, summon)) {
                OnSummonKey(summon);
            }
            return 0;
        }
        case WM_COMMAND: {
            std::vector<Hwnd> shown;
            for (const Held& held : holdings_.All()) {
                shown.push_back(held.handle);
            }
            TrackForeground();
            OnCommand(LOWORD(wParam), TuckTarget(lastForeground_), shown);
            return 0;
        }
        case WM_CLOSE:
            Shutdown();
            ::DestroyWindow(wnd_);
            return 0;
        case kTrayMessageCount:
            return messages_;
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
    TrackForeground();
    const Ms now = ::GetTickCount64();
    if (watch_.ScanDue(now)) {
        ScanDesktop(now);
    }
}

// What no event told: an engine that ended while a menu or a notice held the thread, a
// rules file whose folder cannot be watched, a window shown or retitled where the system
// reports neither, a held window closed or released by another front-end.
void TrayApp::ScanDesktop(Ms now) {
    watch_.Scanned(now);
    if (const auto exitCode = engine_->Ended()) {
        OnEngineEnded(*exitCode);
        watch_.ScanSoon(now);
        return;
    }
    if (!icon_->Shown()) {
        icon_->Show();
    }
    if (StampOf(rulesPath_) != rulesLoaded_) {
        watch_.RulesTouched(now);
        ArmLookTimer();
    }
    try {
        ForgetGoneWindows();
        TakeRuleWindows();
    } catch (const frontend::Failure&) {
        // The engine is busy or gone: the next scan tells which.
    }
    UpdateTooltip();
}

void TrayApp::OnWindowEvent(DWORD event, HWND wnd, LONG object, LONG child) {
    if (shuttingDown_) {
        return;
    }
    const Hwnd handle = FromHwnd(wnd);
    switch (ClassifyEvent(event, object, child)) {
        case WindowEvent::Created:
            if (::GetAncestor(wnd, GA_ROOT) == wnd) {
                watch_.Created(handle, ::GetTickCount64());
                ArmLookTimer();
            }
            break;
        case WindowEvent::Changed:
            if (::GetAncestor(wnd, GA_ROOT) == wnd) {
                watch_.Changed(handle);
                ArmLookTimer();
            }
            break;
        case WindowEvent::Destroyed:
            watch_.Destroyed(handle);
            // The holdings may be in use further up this thread's stack.
            if (holdings_.Find(handle) != nullptr) {
                ::PostMessageW(wnd_, kHeldWindowGone, 0, 0);
            }
            break;
        case WindowEvent::Foreground:
            if (HWND target = TuckTarget(wnd)) {
                lastForeground_ = target;
            }
            if (watch_.ForegroundReported()) {
                ::SetTimer(wnd_, kTickTimer, static_cast<UINT>(watch_.TickMs()), nullptr);
            }
            break;
        case WindowEvent::None:
            break;
    }
}

// One timer for whatever the watch has due next: a look at a window, the rules file.
void TrayApp::ArmLookTimer() {
    const auto due = watch_.NextDue();
    if (!due || (lookTimerDue_ && *lookTimerDue_ <= *due)) {
        return;
    }
    const Ms now = ::GetTickCount64();
    const Ms delay = std::max<Ms>(*due > now ? *due - now : 0, USER_TIMER_MINIMUM);
    ::SetTimer(wnd_, kLookTimer, static_cast<UINT>(delay), nullptr);
    lookTimerDue_ = now + delay;
}

void TrayApp::OnLookTimer() {
    if (shuttingDown_) {
        ::KillTimer(wnd_, kLookTimer);
        return;
    }
    // Busy further up the stack (a notice may wait there for the user), or between engines:
    // a tick later.
    if (inTick_ || !engine_) {
        ::SetTimer(wnd_, kLookTimer, kTickMs, nullptr);
        lookTimerDue_ = ::GetTickCount64() + kTickMs;
        return;
    }
    const Guard guard(inTick_);
    ::KillTimer(wnd_, kLookTimer);
    lookTimerDue_.reset();
    const Ms now = ::GetTickCount64();
    if (watch_.TakeRulesDue(now)) {
        OnRulesDue(now);
    }
    try {
        for (const Hwnd handle : watch_.TakeDueLooks(now)) {
            LookAt(ToHwnd(handle));
        }
    } catch (const frontend::Failure&) {
        // The engine is busy or gone: the scan finds out which.
    }
    UpdateTooltip();
    ArmLookTimer();
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
        ShowNoticeAndWait(SayW(TrayText::EngineEndedAgain, language_,
                               {ExitCodeText(exitCode), std::to_wstring(putBack)}));
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        return;
    }
    restartedAt_ = now;
    if (!ConnectEngine(true)) {
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        return;
    }
    icon_->Balloon(SayW(TrayText::RestartedTitle, language_),
                   SayW(TrayText::RestartedText, language_,
                        {ExitCodeText(exitCode), std::to_wstring(putBack)}));
}

void TrayApp::Shutdown() {
    if (shuttingDown_) {
        return;
    }
    shuttingDown_ = true;
    ::KillTimer(wnd_, kTickTimer);
    ::KillTimer(wnd_, kLookTimer);
    ::KillTimer(wnd_, kLaunchTimer);
    events_.reset();
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
    icon_->SetTip(Widen(TooltipText(holdings_.All().size(), language_)));
}

}  // namespace popyo::tray
