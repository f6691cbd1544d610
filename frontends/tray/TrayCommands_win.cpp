// What the user asks of the tray, by hotkey or menu, and the windows it holds.
#include <algorithm>

#include "frontends/common/PutBack_win.h"
#include "frontends/common/TopWindows_win.h"
#include "frontends/tray/Autostart_win.h"
#include "frontends/tray/MenuView_win.h"
#include "frontends/tray/Notice_win.h"
#include "frontends/tray/TrayApp_win.h"
#include "frontends/tray/TrayTexts_win.h"

namespace popyo::tray {
namespace {

// The desktop, the taskbar, the notification area and menus: never a window to tuck away.
bool IsShellWindow(HWND wnd) {
    constexpr const wchar_t* kShellClasses[] = {
        L"Progman",
        L"WorkerW",
        L"Shell_TrayWnd",
        L"Shell_SecondaryTrayWnd",
        L"NotifyIconOverflowWindow",
        L"TopLevelWindowForOverflowXamlIsland",
        L"#32768",
        L"#32769",
        L"__winex11_standalone_tray",
    };
    const std::wstring cls = frontend::ClassOf(wnd);
    return std::ranges::any_of(kShellClasses, [&](const wchar_t* shell) { return cls == shell; });
}

}  // namespace

HWND TrayApp::TuckTarget(HWND wnd) const {
    if (wnd == nullptr || !::IsWindow(wnd) || !::IsWindowVisible(wnd) ||
        ::GetAncestor(wnd, GA_ROOT) != wnd || IsShellWindow(wnd)) {
        return nullptr;
    }
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    // The tray's own notices, the engine's settings dialog: not for the engine to slide.
    if (pid == ::GetCurrentProcessId() || (engine_ && pid == engine_->ProcessId())) {
        return nullptr;
    }
    return wnd;
}

void TrayApp::TrackForeground() {
    // Most ticks find the window they found before: nothing to learn about it.
    HWND foreground = ::GetForegroundWindow();
    if (foreground == lastForeground_) {
        return;
    }
    if (HWND target = TuckTarget(foreground)) {
        lastForeground_ = target;
    }
}

bool TrayApp::Take(HWND wnd, Edge edge, std::optional<frontend::Rule> rule) {
    // Read before the engine moves it: where it goes back should the engine be killed.
    const frontend::Taken note = frontend::TakeNote(wnd);
    if (!engine_ || !engine_->Register(wnd, edge)) {
        return false;
    }
    holdings_.Take({FromHwnd(wnd), edge, Narrow(frontend::TitleOf(wnd)), std::move(rule), note.rect,
                    note.maximized});
    UpdateTooltip();
    return true;
}

void TrayApp::Release(HWND wnd) {
    if (engine_) {
        engine_->Release(wnd);
    }
    holdings_.LetGo(FromHwnd(wnd));
    UpdateTooltip();
}

// The engine slides a registered window out when it becomes the foreground, unless it was
// the active window already as far as the engine knows (a window registered in the
// background counts as active until the foreground moves). So the foreground passes by the
// shell first, for a few engine ticks; the tray's own window would not do, since the engine
// overlooks its front-ends' windows there. On a loaded machine the engine's ticks can come
// late enough to miss the shell, and the window stays hidden though active: the tray looks
// once the engine has had time to start the slide, and passes by the shell again for twice
// as long, a few times at most.
void TrayApp::Pop(HWND wnd) {
    popping_ = wnd;
    popTries_ = 0;
    PassByShell();
}

void TrayApp::PassByShell() {
    constexpr UINT kShellMs = 150;
    HWND shell = ::GetShellWindow();
    ::SetForegroundWindow(shell != nullptr ? shell : ::GetDesktopWindow());
    popPhase_ = PopPhase::PassingShell;
    ::SetTimer(wnd_, kPopTimer, kShellMs << popTries_, nullptr);
}

void TrayApp::OnPopTimer() {
    constexpr UINT kSlideStartMs = 500;
    constexpr unsigned kTries = 3;
    ::KillTimer(wnd_, kPopTimer);
    HWND wnd = popping_;
    if (wnd == nullptr || !::IsWindow(wnd)) {
        popping_ = nullptr;
        return;
    }
    if (popPhase_ == PopPhase::PassingShell) {
        ::SetForegroundWindow(wnd);
        popPhase_ = PopPhase::Checking;
        ::SetTimer(wnd_, kPopTimer, kSlideStartMs, nullptr);
        return;
    }
    popping_ = nullptr;
    try {
        const bool missed =
            engine_ && ::GetForegroundWindow() == wnd && engine_->StatusOf(wnd) == rsHidden;
        if (missed && ++popTries_ < kTries) {
            popping_ = wnd;
            PassByShell();
        }
    } catch (const frontend::Failure&) {
        // The engine is busy or gone; the tick finds out which.
    }
}

void TrayApp::ReleaseAll() {
    if (!engine_) {
        return;
    }
    const std::vector<Held> held = holdings_.All();
    for (const Held& h : held) {
        Release(ToHwnd(h.handle));
    }
    // Windows other front-ends registered go home too: this is the tray's "undo
    // everything". The rules leave them alone afterwards, as the tray's own.
    for (HWND wnd : frontend::TopLevelWindows()) {
        if (engine_->Holds(wnd)) {
            engine_->Release(wnd);
            holdings_.LetGo(FromHwnd(wnd));
        }
    }
}

void TrayApp::OnHotkey(HotkeyAction action) {
    if (shuttingDown_ || !engine_) {
        return;
    }
    try {
        // What the key toggles is judged against what the engine holds now.
        ForgetGoneWindows();
        if (action == HotkeyAction::ReleaseAll) {
            ReleaseAll();
            return;
        }
        const Edge edge = ActionEdge(action);
        HWND foreground = ::GetForegroundWindow();
        HWND target = TuckTarget(foreground);
        // A window tucked away may leave the foreground to the desktop: the key that tucked
        // it then brings it back.
        const Held* tucked = holdings_.Find(lastTuckedByKey_[edge]);
        if (target == nullptr && (foreground == nullptr || IsShellWindow(foreground)) &&
            tucked != nullptr && tucked->edge == edge) {
            target = ToHwnd(tucked->handle);
        }
        bool done = false;
        if (target != nullptr) {
            switch (PlanTuck(holdings_.Find(FromHwnd(target)), edge)) {
                case TuckStep::Take:
                case TuckStep::MoveEdge:
                    done = Take(target, edge, std::nullopt);
                    lastTuckedByKey_[edge] = done ? FromHwnd(target) : 0;
                    break;
                case TuckStep::Release:
                    Release(target);
                    done = true;
                    break;
            }
        }
        if (!done) {
            ::MessageBeep(MB_ICONWARNING);
        }
    } catch (const frontend::Failure&) {
        // The engine is busy or gone; the tick finds out which.
    }
}

void TrayApp::ShowMenu(POINT at) {
    // Held windows closed or released elsewhere since the last scan are not listed.
    if (engine_) {
        try {
            ForgetGoneWindows();
        } catch (const frontend::Failure&) {
        }
    }
    // Clicking the icon makes the taskbar the foreground: the window the user was working
    // in is the last one seen before.
    HWND foreground = ::GetForegroundWindow();
    HWND target = TuckTarget(foreground);
    if (target == nullptr && (foreground == nullptr || IsShellWindow(foreground))) {
        target = TuckTarget(lastForeground_);
    }
    std::vector<Hwnd> shown;
    for (const Held& held : holdings_.All()) {
        holdings_.SetTitle(held.handle, Narrow(frontend::TitleOf(ToHwnd(held.handle))));
        shown.push_back(held.handle);
    }
    MenuState state;
    state.canTuck = target != nullptr;
    state.startWithWindows = StartsWithWindows(exePath_);
    state.hotkeys = config_.hotkeys;
    state.heldKeys = HeldKeys();
    state.language = language_;
    const std::uint32_t id = TrackTrayMenu(wnd_, BuildTrayMenu(holdings_.All(), state), at);
    // The ticks ran on while the menu was open: the choice is read against the windows the
    // menu showed, not against the list as it is now.
    OnCommand(id, target, shown);
}

void TrayApp::OnCommand(std::uint32_t id, HWND target, const std::vector<Hwnd>& shown) {
    if (shuttingDown_ || id == 0) {
        return;
    }
    try {
        if (id >= kCmdTuckLeft && id <= kCmdTuckRight) {
            if (target == nullptr ||
                !Take(target, static_cast<Edge>(id - kCmdTuckLeft + 1), std::nullopt)) {
                ::MessageBeep(MB_ICONWARNING);
            }
        } else if (const auto window = DecodeWindowCommand(id, shown.size())) {
            HWND wnd = ToHwnd(shown[window->index]);
            if (window->release) {
                Release(wnd);
            } else {
                Pop(wnd);
            }
        } else {
            switch (id) {
                case kCmdReleaseAll:
                    ReleaseAll();
                    break;
                case kCmdSettings:
                    if (engine_) {
                        engine_->OpenSettings();
                    }
                    break;
                case kCmdEditRules:
                    EditRules();
                    break;
                case kCmdStartWithWindows:
                    ToggleStartWithWindows();
                    break;
                case kCmdExit:
                    ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
                    break;
                default:
                    break;
            }
        }
    } catch (const frontend::Failure&) {
        // The engine is busy or gone; the tick finds out which.
    }
    UpdateTooltip();
}

void TrayApp::ForgetGoneWindows() {
    holdings_.Prune([](Hwnd h) { return ::IsWindow(ToHwnd(h)) != FALSE; },
                    [&](Hwnd h) { return engine_->Holds(ToHwnd(h)); });
}

void TrayApp::EditRules() {
    std::wstring why;
    if (!CreateFileWith(rulesPath_, RulesTemplate(), why)) {
        ShowNotice(SayW(TrayText::RulesNotWritten, language_, {rulesPath_, why}));
        return;
    }
    if (!OpenInEditor(rulesPath_, why)) {
        ShowNotice(SayW(TrayText::RulesNotOpened, language_, {rulesPath_, why}));
    }
}

void TrayApp::ToggleStartWithWindows() {
    const bool on = !StartsWithWindows(exePath_);
    std::wstring why;
    if (!SetStartWithWindows(exePath_, on, why)) {
        ShowNotice(
            SayW(on ? TrayText::StartWithWindowsFailed : TrayText::StopStartWithWindowsFailed,
                 language_, {why}));
    }
}

}  // namespace popyo::tray
