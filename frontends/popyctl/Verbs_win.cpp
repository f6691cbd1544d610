#include "frontends/popyctl/Verbs_win.h"

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "frontends/common/EngineLink_win.h"
#include "frontends/common/TopWindows_win.h"
#include "frontends/popyctl/Run_win.h"
#include "frontends/popyctl/TopWindows.h"
#include "frontends/popyctl/WindowNames_win.h"
#include "platform/ForeignWindows_win.h"
#include "platform/Win32Util_win.h"
#include "protocol/PopyoDef.h"

namespace popyctl {
namespace {

using namespace popyo;
using popyo::frontend::EngineLink;

// The engine silently ignores commands for windows it does not hold, so popyctl asks first
// and says so.
void RequireRegistered(const EngineLink& engine, HWND wnd) {
    if (engine.Send(EM_GETSTATUS, FromHwnd(wnd)) == rsNone) {
        throw Failure(NameOf(wnd) + " is not registered");
    }
}

// Looks a window up once the engine is known to run, so that "not running" comes first.
struct Target {
    EngineLink engine;
    HWND wnd;
};
Target EngineAndWindow(const WindowSpec& named) {
    EngineLink engine = EngineLink::Find();
    return {engine, ResolveWindow(named)};
}

int Register(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    engine.Send(EM_REGISTER, FromHwnd(wnd), cmd.edge);
    if (engine.Send(EM_GETSTATUS, FromHwnd(wnd)) == rsNone) {
        throw Failure("the engine did not register " + NameOf(wnd) +
                      ": it takes no minimized window, nor the desktop or the taskbar");
    }
    PrintLine("registered " + NameOf(wnd) + " at " + EdgeWord(cmd.edge));
    return kExitOk;
}

int Release(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    RequireRegistered(engine, wnd);
    engine.Send(EM_REGISTER, FromHwnd(wnd), edNone);
    return kExitOk;
}

int Owner(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    const Hwnd frontEnd = FromHwnd(ResolveWindow(*cmd.frontEnd));
    RequireRegistered(engine, wnd);
    engine.Send(EM_SETOWNER, FromHwnd(wnd), frontEnd);
    const auto code = engine.Send(EM_CLASSIFY, FromHwnd(wnd), frontEnd);
    if (code != wcOwnedWindow && code != wcFrontEndWindow) {
        throw Failure(FormatHandle(frontEnd) + " is not an attached front-end");
    }
    return kExitOk;
}

int Pop(const Command& cmd) {
    EngineLink::Find().Send(EM_POP, 0, cmd.edge);
    return kExitOk;
}

int HideAll(const Command&) {
    EngineLink::Find().Send(EM_POP, 0, edNone);
    return kExitOk;
}

int Hide(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    RequireRegistered(engine, wnd);
    engine.Send(EM_HIDE, FromHwnd(wnd));
    return kExitOk;
}

int Pin(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    engine.Send(EM_PIN, FromHwnd(wnd));
    return kExitOk;
}

int Unpin(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    engine.Send(EM_UNPIN, FromHwnd(wnd));
    return kExitOk;
}

int Home(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    RequireRegistered(engine, wnd);
    engine.Send(EM_SETHOME, FromHwnd(wnd), cmd.home);
    return kExitOk;
}

int Query(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    const Hwnd h = FromHwnd(wnd);
    QueryAnswer answer;
    answer.status = static_cast<std::uint32_t>(engine.Send(EM_GETSTATUS, h));
    answer.edge = static_cast<std::uint32_t>(engine.Send(EM_GETEDGE, h));
    answer.pinned = static_cast<std::uint32_t>(engine.Send(EM_GETPINNED, h));
    answer.home = engine.Send(EM_GETHOME, h);
    PrintLine("window: " + NameOf(wnd));
    std::fputs(FormatQuery(answer).c_str(), stdout);
    return kExitOk;
}

int Classify(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    const Hwnd frontEnd = cmd.frontEnd ? FromHwnd(ResolveWindow(*cmd.frontEnd)) : 0;
    const auto code = engine.Send(EM_CLASSIFY, FromHwnd(wnd), frontEnd);
    PrintLine(ClassifyWord(static_cast<std::uint32_t>(code)));
    return kExitOk;
}

int Settings(const Command&) {
    EngineLink::Find().Send(EM_SETTINGS, 0, 0, EngineLink::kDialogTimeoutMs);
    return kExitOk;
}

int Detach(const Command& cmd) {
    const auto [engine, wnd] = EngineAndWindow(*cmd.frontEnd);
    // Any detach ends the engine, so a mistyped handle must not get that far.
    const auto code = engine.Send(EM_CLASSIFY, FromHwnd(wnd), 0);
    if (code != wcFrontEnd && code != wcFrontEndWindow) {
        throw Failure(NameOf(wnd) + " is not an attached front-end; the engine keeps running");
    }
    engine.Send(EM_DETACH, FromHwnd(wnd), 0, EngineLink::kDetachTimeoutMs);
    PrintLine("detached " + NameOf(wnd) + "; the engine put every window back and ended");
    return kExitOk;
}

int Run(const Command& cmd) {
    return RunRules(EngineLink::Find(), cmd.rules);
}

int RescueLost(const Command&) {
    std::vector<Rescue> plan = PlanRescue(frontend::SnapshotTopWindows(), frontend::Monitors());
    // A running engine holds its hidden windows beyond the edge on purpose.
    if (const auto engine = EngineLink::TryFind()) {
        std::erase_if(
            plan, [&](const Rescue& r) { return engine->Send(EM_GETSTATUS, r.handle) != rsNone; });
    }
    // A window whose program sleeps comes back when it wakes; the others do not wait for it.
    ForeignWindows windows;
    for (const Rescue& r : plan) {
        windows.SetPos(ToHwnd(r.handle), nullptr, r.to.X, r.to.Y,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PrintLine(FormatRescue(r));
    }
    if (plan.empty()) {
        PrintLine("no window lies wholly outside the desktop");
    }
    return kExitOk;
}

// Samples often enough that every frame of a slide shows, at up to eight a tick.
int Watch(const Command& cmd) {
    constexpr DWORD kSamplePeriodMs = 5;
    const auto [engine, wnd] = EngineAndWindow(cmd.window);
    PrintLine("watching " + NameOf(wnd));
    const ULONGLONG start = ::GetTickCount64();
    std::optional<WatchSample> last;
    for (;;) {
        WatchSample sample;
        try {
            sample.status = static_cast<std::uint32_t>(engine.Send(EM_GETSTATUS, FromHwnd(wnd)));
        } catch (const Failure&) {
            PrintLine("the engine ended; the window stands at " +
                      FormatRect(frontend::RectOf(wnd)));
            return kExitOk;
        }
        if (!::IsWindow(wnd)) {
            PrintLine("the window is gone");
            return kExitOk;
        }
        sample.rect = frontend::RectOf(wnd);
        if (sample != last) {
            PrintLine(FormatWatch(::GetTickCount64() - start, sample));
            last = sample;
        }
        ::Sleep(kSamplePeriodMs);
    }
}

// An engine that answers -1 has no such option: an older one.
int Option(const Command& cmd) {
    const EngineLink engine = EngineLink::Find();
    if (!cmd.optionValue) {
        const std::int32_t value = engine.Send(EM_GETOPTION, cmd.option);
        if (value < 0) {
            throw Failure("the engine has no option " + OptionName(cmd.option) +
                          "; it may be older than popyctl");
        }
        PrintLine(FormatOption(cmd.option, value));
        return kExitOk;
    }
    const std::int32_t previous =
        engine.Send(EM_SETOPTION, cmd.option, static_cast<std::uint32_t>(*cmd.optionValue));
    if (previous < 0) {
        throw Failure("the engine refused " + FormatOption(cmd.option, *cmd.optionValue) +
                      "; it may be older than popyctl");
    }
    PrintLine(FormatOption(cmd.option, *cmd.optionValue, previous));
    return kExitOk;
}

using Handler = int (*)(const Command&);
constexpr std::pair<Verb, Handler> kHandlers[] = {
    {Verb::Register, Register}, {Verb::Release, Release},   {Verb::Owner, Owner},
    {Verb::Pop, Pop},           {Verb::HideAll, HideAll},   {Verb::Hide, Hide},
    {Verb::Pin, Pin},           {Verb::Unpin, Unpin},       {Verb::Home, Home},
    {Verb::Query, Query},       {Verb::Classify, Classify}, {Verb::Settings, Settings},
    {Verb::Detach, Detach},     {Verb::Run, Run},           {Verb::Rescue, RescueLost},
    {Verb::Watch, Watch},       {Verb::Option, Option},
};

}  // namespace

int RunCommand(const Command& cmd) {
    for (const auto& [verb, handler] : kHandlers) {
        if (verb == cmd.verb) {
            return handler(cmd);
        }
    }
    throw Failure("this verb is not implemented");
}

}  // namespace popyctl
