// The engine as the tray holds it: found or started from the tray's own folder, attached as
// the main front-end, and watched so that its end is noticed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "frontends/common/EngineLink_win.h"
#include "platform/Language.h"
#include "platform/Win32Util_win.h"
#include "protocol/PopyoDef.h"

namespace popyo::tray {

class TrayEngine {
  public:
    // A running engine, or PopyonnEngine.exe from `exeDir` started and given 5 s to open
    // its window; attached with `self` as its main front-end. Nothing, with the reason in
    // `why`, when that fails.
    static std::optional<TrayEngine> Connect(const std::wstring& exeDir,
                                             HWND self,
                                             Language language,
                                             std::wstring& why);

    // The engine's exit code once its process has ended.
    std::optional<DWORD> Ended() const;
    DWORD ProcessId() const { return link_.ProcessId(); }
    // Signalled when the engine's process ends.
    HANDLE Process() const { return process_.Get(); }

    // Registers the window at the edge, owned by the tray. False when the engine refuses
    // (a minimized window, the desktop, the taskbar). Throws frontend::Failure when the
    // engine does not answer.
    bool Register(HWND wnd, Edge edge) const;
    void Release(HWND wnd) const;
    bool Holds(HWND wnd) const;
    // The window's state in the engine; rsNone when it does not hold it.
    Status StatusOf(HWND wnd) const;
    void Hide(HWND wnd) const;
    // The window comes out on the monitor that holds the point from now on; false when the
    // engine does not hold it, or knows no such message.
    bool SetMonitor(HWND wnd, POINT at) const;
    void Pop(Edge edge) const;
    // The dialog runs modally inside the engine's handler, so the message is posted: the
    // tray keeps working while it is open.
    void OpenSettings() const;
    // An engine that knows no such option, or no options at all, leaves it.
    void SetOption(EngineOption id, std::int32_t value) const;
    // Every window goes back and the engine ends; false when it did not answer.
    bool Detach() const;

  private:
    TrayEngine(frontend::EngineLink link, UniqueHandle process, HWND self)
        : link_(link), process_(std::move(process)), self_(self) {}

    frontend::EngineLink link_;
    UniqueHandle process_;
    HWND self_;
};

}  // namespace popyo::tray
