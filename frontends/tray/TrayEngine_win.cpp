#include "frontends/tray/TrayEngine_win.h"

#include "frontends/tray/SystemText_win.h"
#include "frontends/tray/TrayTexts_win.h"
#include "protocol/PopyoDef.h"

namespace popyo::tray {
namespace {

using frontend::EngineLink;

constexpr DWORD kStartTimeoutMs = 5000;
constexpr DWORD kPollMs = 50;
constexpr DWORD kMain = 1;

// Starts the engine and waits for its window; nothing, with the reason, after 5 s.
std::optional<EngineLink> StartEngine(const std::wstring& exeDir,
                                      Language language,
                                      std::wstring& why) {
    const std::wstring exe = exeDir + L"\\PopyonnEngine.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          exeDir.c_str(), &startup, &info)) {
        why = SayW(TrayText::EngineNotStarted, language, {exeDir, SystemText(::GetLastError())});
        return std::nullopt;
    }
    ::CloseHandle(info.hThread);
    const UniqueHandle process(info.hProcess);
    const ULONGLONG deadline = ::GetTickCount64() + kStartTimeoutMs;
    for (;;) {
        // Another engine that won a race for the desktop serves as well.
        if (auto engine = EngineLink::TryFind()) {
            return engine;
        }
        if (::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(process.Get(), &code);
            why = SayW(TrayText::EngineEndedAtOnce, language, {std::to_wstring(code)});
            return std::nullopt;
        }
        if (::GetTickCount64() >= deadline) {
            why = SayW(TrayText::EngineNoWindow, language);
            return std::nullopt;
        }
        ::Sleep(kPollMs);
    }
}

bool AttachedAs(const EngineLink& engine, Hwnd self) {
    const auto code = engine.Send(EM_CLASSIFY, self, self);
    return code == wcFrontEnd || code == wcFrontEndWindow;
}

}  // namespace

std::optional<TrayEngine> TrayEngine::Connect(const std::wstring& exeDir,
                                              HWND self,
                                              Language language,
                                              std::wstring& why) {
    std::optional<EngineLink> engine = EngineLink::TryFind();
    if (!engine) {
        engine = StartEngine(exeDir, language, why);
        if (!engine) {
            return std::nullopt;
        }
    }
    UniqueHandle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, engine->ProcessId()));
    if (!process) {
        why = SayW(TrayText::EngineNotWatched, language, {SystemText(::GetLastError())});
        return std::nullopt;
    }
    try {
        const Hwnd me = FromHwnd(self);
        engine->Send(EM_ATTACH, me, kMain);
        // The engine keeps one main front-end and quietly refuses a second; an ordinary
        // attach serves then, since every detach puts all windows back alike.
        if (!AttachedAs(*engine, me)) {
            engine->Send(EM_ATTACH, me, 0);
        }
        if (!AttachedAs(*engine, me)) {
            why = SayW(TrayText::EngineRefused, language);
            return std::nullopt;
        }
    } catch (const frontend::Failure& e) {
        why = Widen(e.what());
        return std::nullopt;
    }
    return TrayEngine(*engine, std::move(process), self);
}

std::optional<DWORD> TrayEngine::Ended() const {
    if (::WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_.Get(), &code);
    return code;
}

bool TrayEngine::Register(HWND wnd, Edge edge) const {
    const Hwnd handle = FromHwnd(wnd);
    link_.Send(EM_REGISTER, handle, edge);
    if (link_.Send(EM_GETSTATUS, handle) == rsNone) {
        return false;
    }
    link_.Send(EM_SETOWNER, handle, FromHwnd(self_));
    return true;
}

void TrayEngine::Release(HWND wnd) const {
    link_.Send(EM_REGISTER, FromHwnd(wnd), edNone);
}

bool TrayEngine::Holds(HWND wnd) const {
    return link_.Send(EM_GETSTATUS, FromHwnd(wnd)) != rsNone;
}

Status TrayEngine::StatusOf(HWND wnd) const {
    return static_cast<Status>(link_.Send(EM_GETSTATUS, FromHwnd(wnd)) & 0x7F);
}

void TrayEngine::Hide(HWND wnd) const {
    link_.Send(EM_HIDE, FromHwnd(wnd));
}

bool TrayEngine::SetMonitor(HWND wnd, POINT at) const {
    return link_.Send(EM_SETMONITOR, FromHwnd(wnd), PointParam(at.x, at.y)) == 1;
}

void TrayEngine::Pop(Edge edge) const {
    link_.Send(EM_POP, 0, edge);
}

void TrayEngine::OpenSettings() const {
    link_.Post(EM_SETTINGS, 0, 0);
}

void TrayEngine::SetOption(EngineOption id, std::int32_t value) const {
    link_.Send(EM_SETOPTION, id, static_cast<std::uint32_t>(value));
}

bool TrayEngine::Detach() const {
    try {
        // A sent detach returns once the engine has put every window back.
        link_.Send(EM_DETACH, FromHwnd(self_), 0, EngineLink::kDetachTimeoutMs);
        return true;
    } catch (const frontend::Failure&) {
        return false;
    }
}

}  // namespace popyo::tray
