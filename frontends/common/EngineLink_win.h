// The engine as a front-end reaches it: its hidden window, found by class and title, and
// the control messages sent to it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "frontends/common/Failure.h"
#include "platform/Geometry.h"

namespace popyo::frontend {

class EngineLink {
  public:
    static constexpr UINT kAnswerTimeoutMs = 5000;
    // Putting every window back can take a while on a busy desktop.
    static constexpr UINT kDetachTimeoutMs = 30000;
    // The settings dialog answers only once the user has closed it.
    static constexpr UINT kDialogTimeoutMs = 0x7FFFFFFF;

    static std::optional<EngineLink> TryFind();
    // Throws Failure when no engine runs.
    static EngineLink Find();

    // Window handles travel as 32-bit values, the answer comes back as one.
    std::int32_t Send(std::uint32_t msg,
                      Hwnd wParam,
                      std::uint32_t lParam = 0,
                      UINT timeoutMs = kAnswerTimeoutMs) const;

    // For a command whose answer nobody waits for, such as the settings dialog's.
    bool Post(std::uint32_t msg, Hwnd wParam, std::uint32_t lParam = 0) const;

    HWND Window() const { return wnd_; }
    DWORD ProcessId() const;

  private:
    explicit EngineLink(HWND wnd) : wnd_(wnd) {}
    HWND wnd_;
};

}  // namespace popyo::frontend
