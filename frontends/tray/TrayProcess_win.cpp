#include "frontends/tray/TrayProcess_win.h"

#include <string>

namespace popyo::tray {
namespace {

// Local\ is this session's namespace: each user session has its own tray.
constexpr wchar_t kInstanceMutex[] = L"Local\\PopyonnTray.SingleInstance";
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kPollMs = 50;

bool TrayStarting() {
    const UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex));
    return static_cast<bool>(mutex);
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

bool WriteTo(HANDLE handle, std::string_view utf8) {
    if (IsConsole(handle)) {
        const std::wstring text = Widen(utf8);
        DWORD written = 0;
        return ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written,
                               nullptr) != FALSE;
    }
    DWORD written = 0;
    return ::WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) !=
           FALSE;
}

}  // namespace

UniqueHandle ClaimSingleInstance() {
    UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kInstanceMutex));
    if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        return {};
    }
    return mutex;
}

int ExitRunningTray() {
    const ULONGLONG deadline = ::GetTickCount64() + kExitTimeoutMs;
    for (;;) {
        HWND tray = ::FindWindowW(kTrayWindowClass, nullptr);
        // A tray that holds the session but has no window yet is still starting.
        if (tray == nullptr && !TrayStarting()) {
            return 0;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return 1;
        }
        if (tray == nullptr) {
            ::Sleep(kPollMs);
            continue;
        }
        DWORD pid = 0;
        ::GetWindowThreadProcessId(tray, &pid);
        const UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
        ::PostMessageW(tray, WM_CLOSE, 0, 0);
        if (process) {
            ::WaitForSingleObject(process.Get(), static_cast<DWORD>(deadline - now));
        } else {
            while (::IsWindow(tray) && ::GetTickCount64() < deadline) {
                ::Sleep(kPollMs);
            }
        }
    }
}

bool WriteToConsole(std::string_view utf8, bool error) {
    HANDLE inherited = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (inherited != nullptr && inherited != INVALID_HANDLE_VALUE && WriteTo(inherited, utf8)) {
        return true;
    }
    // A GUI program started from a console gets no handles; it may borrow that console.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) {
        return false;
    }
    const UniqueHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    const bool written = console && WriteTo(console.Get(), utf8);
    ::FreeConsole();
    return written;
}

}  // namespace popyo::tray
