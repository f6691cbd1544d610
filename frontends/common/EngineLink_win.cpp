#include "frontends/common/EngineLink_win.h"

#include <cstdio>
#include <string>

#include "protocol/PopyoDef.h"

namespace popyo::frontend {
namespace {

// A 64-bit sender sign-extends the 32 bits, as the engine does when it reads them back.
WPARAM ToParam(std::uint32_t value) {
    return static_cast<WPARAM>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}

std::string MessageName(std::uint32_t msg) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(msg));
    return text;
}

}  // namespace

std::optional<EngineLink> EngineLink::TryFind() {
    HWND wnd = ::FindWindowA(kEngineClassName, kEngineWindowTitle);
    if (wnd == nullptr) {
        return std::nullopt;
    }
    return EngineLink(wnd);
}

EngineLink EngineLink::Find() {
    if (auto engine = TryFind()) {
        return *engine;
    }
    throw Failure(std::string("the engine is not running (no window of class ") + kEngineClassName +
                  " titled " + kEngineWindowTitle + ")");
}

std::int32_t EngineLink::Send(std::uint32_t msg,
                              Hwnd wParam,
                              std::uint32_t lParam,
                              UINT timeoutMs) const {
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(wnd_, msg, ToParam(wParam), static_cast<LPARAM>(ToParam(lParam)),
                              SMTO_ABORTIFHUNG, timeoutMs, &result) == 0) {
        throw Failure("the engine did not answer message " + MessageName(msg) +
                      (::IsWindow(wnd_) ? " (it is busy or hung)" : " (it has ended)"));
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
}

bool EngineLink::Post(std::uint32_t msg, Hwnd wParam, std::uint32_t lParam) const {
    return ::PostMessageW(wnd_, msg, ToParam(wParam), static_cast<LPARAM>(ToParam(lParam))) !=
           FALSE;
}

DWORD EngineLink::ProcessId() const {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd_, &pid);
    return pid;
}

}  // namespace popyo::frontend
