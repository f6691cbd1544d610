// A rule's own key: the rule's window out and active, away again, to the front; its program
// started when none of its windows is open.
#include "frontends/common/TopWindows_win.h"
#include "frontends/tray/Notice_win.h"
#include "frontends/tray/SystemText_win.h"
#include "frontends/tray/TrayApp_win.h"
#include "frontends/tray/TrayTexts_win.h"

namespace popyo::tray {
namespace {

TRect RectOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

TRect MonitorOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    return ::GetMonitorInfoW(monitor, &info) ? RectOf(info.rcMonitor) : TRect{};
}

POINT CursorPoint() {
    POINT at{};
    ::GetCursorPos(&at);
    return at;
}

POINT CenterOf(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
}

std::wstring ExpandedFolder(const std::string& cwd) {
    return Widen(ExpandVariables(cwd, [](std::string_view name) -> std::optional<std::string> {
        const std::wstring wide = Widen(name);
        wchar_t value[32768];
        const DWORD n = ::GetEnvironmentVariableW(wide.c_str(), value, std::size(value));
        if (n == 0 || n >= std::size(value)) {
            return std::nullopt;
        }
        return Narrow(std::wstring_view(value, n));
    }));
}

}  // namespace

// The window the rule took first that still exists, as the holdings keep their order.
HWND TrayApp::HeldByRule(std::size_t rule) const {
    for (const Held& held : holdings_.All()) {
        if (held.rule && *held.rule == config_.rules[rule] && ::IsWindow(ToHwnd(held.handle))) {
            return ToHwnd(held.handle);
        }
    }
    return nullptr;
}

// A window of the rule the tray does not hold: one the user let go, or one not seen yet.
// The key asks for it, so the rule takes it again.
HWND TrayApp::FreeWindowOfRule(std::size_t rule) {
    const std::vector<frontend::Rule> one{config_.rules[rule]};
    const auto program =
        frontend::NamesAProgram(one) ? frontend::Program::Named : frontend::Program::Unnamed;
    for (const frontend::TopWindow& window :
         frontend::SnapshotTopWindows(frontend::Scope::ShownWindows, program)) {
        HWND wnd = ToHwnd(window.handle);
        if (frontend::Matches(one[0].match, window) && TuckTarget(wnd) != nullptr &&
            !engine_->Holds(wnd)) {
            return wnd;
        }
    }
    return nullptr;
}

void TrayApp::OnSummonKey(std::size_t index) {
    if (shuttingDown_ || !engine_ || index >= config_.summons.size()) {
        return;
    }
    const Summon summon = config_.summons[index];
    const frontend::Rule& rule = config_.rules[summon.rule];
    try {
        ForgetGoneWindows();
        HWND wnd = HeldByRule(summon.rule);
        if (wnd == nullptr) {
            if (HWND free = FreeWindowOfRule(summon.rule); free != nullptr) {
                if (Take(free, rule.edge, rule)) {
                    BringOutNew(free, summon);
                    return;
                }
            }
        }
        const std::optional<Status> status =
            wnd != nullptr ? std::optional(engine_->StatusOf(wnd)) : std::nullopt;
        const bool active = wnd != nullptr && ::GetForegroundWindow() == wnd;
        switch (PlanSummon(status, active, summon.run.has_value(), launches_.Pending(index))) {
            case SummonStep::Out:
                summonedFrom_ = TuckTarget(::GetForegroundWindow());
                if (summon.monitor == SummonMonitor::Cursor) {
                    engine_->SetMonitor(wnd, CursorPoint());
                }
                if (::IsIconic(wnd)) {
                    ::ShowWindowAsync(wnd, SW_RESTORE);
                }
                Pop(wnd);
                break;
            case SummonStep::Away:
                // The foreground first: an engine tick between the two would see the window
                // still active, take that for a new activation and bring it out again. And
                // a pop still on its way would do the same.
                if (popping_ == wnd) {
                    popping_ = nullptr;
                }
                GiveForegroundBack(wnd);
                engine_->Hide(wnd);
                break;
            case SummonStep::Activate:
                ::SetForegroundWindow(wnd);
                break;
            case SummonStep::Launch:
                StartProgram(index);
                break;
            case SummonStep::Nothing:
                // A start in progress is answer enough; with nothing to start, a beep.
                if (!launches_.Pending(index)) {
                    ::MessageBeep(MB_ICONWARNING);
                }
                break;
        }
    } catch (const frontend::Failure&) {
        // The engine is busy or gone; the tick finds out which.
    }
}

// A window the rule has just taken, where its program put it. It goes beyond its edge of
// the monitor in one move, never sliding away in view, and the engine's pop brings it out
// from there, so that it slides out as every summoned window does.
void TrayApp::BringOutNew(HWND wnd, const Summon& summon) {
    summonedFrom_ = nullptr;
    const POINT at = summon.monitor == SummonMonitor::Cursor ? CursorPoint() : CenterOf(wnd);
    engine_->Hide(wnd);
    if (!engine_->SetMonitor(wnd, at)) {
        // An engine without the message: the window comes out where it stands, at its edge.
        RECT r{};
        ::GetWindowRect(wnd, &r);
        const TRect out = OutPlace(RectOf(r), config_.rules[summon.rule].edge,
                                   MonitorOf(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST)));
        ::SetWindowPos(wnd, nullptr, out.Left, out.Top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
    Pop(wnd);
}

// Typing goes back where it went before the window came out, not into a window beyond the
// edge; and a foreground left on it would bring it straight out again.
void TrayApp::GiveForegroundBack(HWND wnd) {
    HWND back = summonedFrom_ != wnd ? TuckTarget(summonedFrom_) : nullptr;
    summonedFrom_ = nullptr;
    if (back == nullptr) {
        back = ::GetShellWindow();
    }
    ::SetForegroundWindow(back != nullptr ? back : ::GetDesktopWindow());
}

void TrayApp::Arrived(HWND wnd, std::size_t rule) {
    for (std::size_t i = 0; i < config_.summons.size(); ++i) {
        if (config_.summons[i].rule == rule && launches_.Arrived(i)) {
            BringOutNew(wnd, config_.summons[i]);
            return;
        }
    }
}

void TrayApp::StartProgram(std::size_t index) {
    const Summon& summon = config_.summons[index];
    const Launch& run = *summon.run;
    std::wstring command = L"\"" + Widen(run.exe) + L"\"";
    if (!run.args.empty()) {
        command += L" " + Widen(run.args);
    }
    const std::wstring folder = ExpandedFolder(run.cwd);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        ShowNotice(
            SayW(TrayText::RunFailed, language_,
                 {std::to_wstring(summon.line), Widen(run.exe), SystemText(::GetLastError())}));
        return;
    }
    // The tray never waits on the program; the rule's window tells that it came.
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    launches_.Started(index, ::GetTickCount64());
    ArmLaunchTimer();
    // The first look comes from the window's creation; the scan is the fallback.
    watch_.ScanSoon(::GetTickCount64());
}

void TrayApp::ArmLaunchTimer() {
    const auto due = launches_.NextDue();
    if (!due) {
        ::KillTimer(wnd_, kLaunchTimer);
        return;
    }
    const Ms now = ::GetTickCount64();
    ::SetTimer(wnd_, kLaunchTimer,
               static_cast<UINT>(std::max<Ms>(*due > now ? *due - now : 0, USER_TIMER_MINIMUM)),
               nullptr);
}

void TrayApp::OnLaunchTimer() {
    for (const std::size_t i : launches_.Overdue(::GetTickCount64())) {
        if (i < config_.summons.size() && config_.summons[i].run) {
            ShowNotice(SayW(
                TrayText::RunNoWindow, language_,
                {std::to_wstring(config_.summons[i].line), Widen(config_.summons[i].run->exe)}));
        }
    }
    ArmLaunchTimer();
}

// Per held window, the key that acts on it: a rule's key acts on the first window it took.
std::vector<std::optional<Hotkey>> TrayApp::HeldKeys() const {
    std::vector<std::optional<Hotkey>> keys;
    for (const Held& held : holdings_.All()) {
        std::optional<Hotkey> key;
        for (const Summon& summon : config_.summons) {
            if (HeldByRule(summon.rule) == ToHwnd(held.handle)) {
                key = summon.hotkey;
                break;
            }
        }
        keys.push_back(key);
    }
    return keys;
}

}  // namespace popyo::tray
