#include "platform/Win32WindowSystem_win.h"

#include <algorithm>
#include <vector>

#include "platform/Win32Util_win.h"

namespace popyo {

Hwnd Win32WindowSystem::FindWindowA(std::string_view className, std::string_view title) {
    const std::string cls(className);
    const std::string text(title);
    return FromHwnd(::FindWindowA(cls.c_str(), text.c_str()));
}

Hwnd Win32WindowSystem::GetDesktopWindow() {
    return FromHwnd(::GetDesktopWindow());
}

Hwnd Win32WindowSystem::GetForegroundWindow() {
    return FromHwnd(::GetForegroundWindow());
}

std::optional<TRect> Win32WindowSystem::GetWindowRect(Hwnd wnd) {
    RECT r;
    if (!::GetWindowRect(ToHwnd(wnd), &r)) {
        return std::nullopt;
    }
    return TRect{r.left, r.top, r.right, r.bottom};
}

std::uint32_t Win32WindowSystem::GetWindowLongA(Hwnd wnd, std::int32_t index) {
    return static_cast<std::uint32_t>(::GetWindowLongA(ToHwnd(wnd), index));
}

void Win32WindowSystem::SetWindowPos(Hwnd wnd,
                                     Hwnd insertAfter,
                                     std::int32_t x,
                                     std::int32_t y,
                                     std::uint32_t flags) {
    foreign_.SetPos(ToHwnd(wnd), ToHwnd(insertAfter), x, y, flags);
}

void Win32WindowSystem::ShowWindow(Hwnd wnd, std::int32_t cmdShow) {
    foreign_.Show(ToHwnd(wnd), cmdShow);
}

bool Win32WindowSystem::IsHung(Hwnd wnd) {
    return foreign_.IsHung(ToHwnd(wnd));
}

Hwnd Win32WindowSystem::WindowFromPoint(TPoint p) {
    return FromHwnd(::WindowFromPoint(POINT{p.X, p.Y}));
}

Hwnd Win32WindowSystem::GetAncestor(Hwnd wnd, std::uint32_t flags) {
    return FromHwnd(::GetAncestor(ToHwnd(wnd), flags));
}

Hwnd Win32WindowSystem::GetWindow(Hwnd wnd, std::uint32_t cmd) {
    return FromHwnd(::GetWindow(ToHwnd(wnd), cmd));
}

std::string Win32WindowSystem::GetClassNameA(Hwnd wnd) {
    wchar_t name[256];
    const int n = ::GetClassNameW(ToHwnd(wnd), name, static_cast<int>(std::size(name)));
    return Narrow(std::wstring_view(name, n > 0 ? static_cast<std::size_t>(n) : 0));
}

std::optional<TPoint> Win32WindowSystem::GetCursorPos() {
    POINT p;
    if (!::GetCursorPos(&p)) {
        return std::nullopt;
    }
    return TPoint{p.x, p.y};
}

MonitorList Win32WindowSystem::GetMonitors() {
    return EnumerateMonitors();
}

// Loaded on first use and by name, so that the engine starts also where dwmapi.dll is
// missing; every failure then reads as "DWM cannot tell".
Win32WindowSystem::DwmGetWindowAttributeFn Win32WindowSystem::Dwm() {
    if (!dwmLookedUp_) {
        dwmLookedUp_ = true;
        dwmapi_ =
            UniqueModule(::LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        if (dwmapi_) {
            dwmGetWindowAttribute_ = reinterpret_cast<DwmGetWindowAttributeFn>(
                reinterpret_cast<void*>(::GetProcAddress(dwmapi_.Get(), "DwmGetWindowAttribute")));
        }
    }
    return dwmGetWindowAttribute_;
}

bool Win32WindowSystem::IsCloaked(Hwnd wnd) {
    constexpr DWORD kDwmwaCloaked = 14;
    DWORD cloaked = 0;
    const auto get = Dwm();
    return get != nullptr && SUCCEEDED(get(ToHwnd(wnd), kDwmwaCloaked, &cloaked, sizeof cloaked)) &&
           cloaked != 0;
}

std::optional<TRect> Win32WindowSystem::GetVisibleFrame(Hwnd wnd) {
    constexpr DWORD kDwmwaExtendedFrameBounds = 9;
    RECT r{};
    const auto get = Dwm();
    if (get == nullptr || FAILED(get(ToHwnd(wnd), kDwmwaExtendedFrameBounds, &r, sizeof r))) {
        return std::nullopt;
    }
    return TRect{r.left, r.top, r.right, r.bottom};
}

// The settings dialog and the message boxes run on the engine window's thread.
bool Win32WindowSystem::IsOwnWindow(Hwnd wnd) {
    return ::GetWindowThreadProcessId(ToHwnd(wnd), nullptr) == ::GetCurrentThreadId();
}

// The engine asks whether a key or button is down anywhere on the desktop. A thread's own
// key state follows only the input it receives itself, and the engine receives none, so
// the answer comes from the asynchronous state. Buttons are the logical ones: with swapped
// buttons the physical right button is the left one.
std::int16_t Win32WindowSystem::GetKeyState(std::int32_t virtualKey) {
    if (virtualKey <= 0 || virtualKey > 0xFE) {
        return 0;
    }
    int vk = virtualKey;
    if (vk == VK_LBUTTON || vk == VK_RBUTTON) {
        if (!swapButtons_) {
            swapButtons_ = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
        }
        if (*swapButtons_) {
            vk = vk == VK_LBUTTON ? VK_RBUTTON : VK_LBUTTON;
        }
    }
    return (::GetAsyncKeyState(vk) & 0x8000) != 0 ? std::int16_t{-32768} : std::int16_t{0};
}

std::int32_t Win32WindowSystem::GetSystemMetrics(std::int32_t index) {
    return ::GetSystemMetrics(index);
}

void Win32WindowSystem::SetForegroundWindow(Hwnd wnd) {
    ::SetForegroundWindow(ToHwnd(wnd));
}

std::uint32_t Win32WindowSystem::GetWindowThreadProcessId(Hwnd wnd) {
    return ::GetWindowThreadProcessId(ToHwnd(wnd), nullptr);
}

void Win32WindowSystem::AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) {
    ::AttachThreadInput(attach, attachTo, on ? TRUE : FALSE);
}

// Neither written to the user profile nor broadcast: the change lasts only for the call.
std::uint32_t Win32WindowSystem::GetForegroundLockTimeout() {
    DWORD value = 0;
    ::SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &value, 0);
    return value;
}

void Win32WindowSystem::SetForegroundLockTimeout(std::uint32_t ms) {
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                            reinterpret_cast<PVOID>(static_cast<UINT_PTR>(ms)), 0);
}

void Win32WindowSystem::Sleep(std::uint32_t ms) {
    ::Sleep(ms);
}

std::optional<std::string> Win32WindowSystem::UserName() {
    wchar_t name[256];
    DWORD size = 256;
    if (!::GetUserNameW(name, &size)) {
        return std::nullopt;
    }
    return Narrow(name);
}

std::string Win32WindowSystem::ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            return Narrow(std::wstring_view(buffer.data(), n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

void Win32WindowSystem::ShowNotice(std::string_view text, std::string_view caption) {
    ::MessageBoxW(engineWnd_, Widen(text).c_str(), Widen(caption).c_str(), MB_OK);
}

void Win32WindowSystem::ShowErrorBox(std::string_view text) {
    ::MessageBoxW(engineWnd_, Widen(text).c_str(), applicationTitle_.c_str(), MB_OK | MB_ICONERROR);
}

void Win32WindowSystem::SetApplicationTitle(std::string_view title) {
    applicationTitle_ = Widen(title);
}

std::uint16_t Win32WindowSystem::UiLanguage() {
    return ::GetUserDefaultUILanguage();
}

void Win32WindowSystem::SetEngineWindowTitle(std::string_view title) {
    ::SetWindowTextW(engineWnd_, Widen(title).c_str());
}

// An engine started elevated still hears ordinary front-ends: the control messages, and no
// other message, pass the integrity-level filter.
void Win32WindowSystem::AllowMessage(std::uint32_t msg) {
    ::ChangeWindowMessageFilterEx(engineWnd_, msg, MSGFLT_ALLOW, nullptr);
}

// A named mutex in the session's namespace: one engine per logged-on user.
bool Win32WindowSystem::ClaimSingleInstance() {
    UniqueHandle lock(::CreateMutexW(nullptr, FALSE, L"Local\\PopyonnEngine.SingleInstance"));
    if (!lock || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        return false;
    }
    instanceLock_ = std::move(lock);
    return true;
}

std::int32_t Win32WindowSystem::EngineWindowWidth() {
    RECT r;
    if (!::GetWindowRect(engineWnd_, &r)) {
        return 0;
    }
    return r.right - r.left;
}

void Win32WindowSystem::SetTimer1Enabled(bool enabled) {
    if (enabled && !terminated_) {
        ::SetTimer(engineWnd_, kTimer1Id, kTimer1Interval, nullptr);
    } else {
        ::KillTimer(engineWnd_, kTimer1Id);
    }
}

// A frame is due every 50 / N ms, 16.7 ms at three frames a tick; at the system timer's
// usual 15.6 ms a timer that short fires only every other period. The finer resolution is
// asked for while frames are drawn, and given back when the slides end.
void Win32WindowSystem::SetTimer2(std::optional<std::uint32_t> afterMs) {
    if (!afterMs || terminated_) {
        ::KillTimer(engineWnd_, kTimer2Id);
        fineTimer_.Release();
        return;
    }
    fineTimer_.Hold();
    ::SetTimer(engineWnd_, kTimer2Id, std::max<UINT>(*afterMs, USER_TIMER_MINIMUM), nullptr);
}

void Win32WindowSystem::Timer2Fired() {
    ::KillTimer(engineWnd_, kTimer2Id);
}

std::int64_t Win32WindowSystem::NowMicros() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1000000 +
           now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

// The message loop ends at its next turn; a modal loop running inside it (the settings
// dialog) sees the flag and ends first.
void Win32WindowSystem::Terminate() {
    if (terminated_) {
        return;
    }
    terminated_ = true;
    ::KillTimer(engineWnd_, kTimer1Id);
    SetTimer2(std::nullopt);
    ::PostQuitMessage(0);
}

void Win32WindowSystem::ShowModal(TModalForm& form) {
    if (modalView_) {
        modalView_(engineWnd_, form, terminated_);
    }
}

bool Win32WindowSystem::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> Win32WindowSystem::ReadWholeFile(const std::string& path) {
    UniqueHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string content;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        content.append(chunk, read);
    }
    return content;
}

// The new content goes to a file beside the old one, which then replaces it in one step:
// a crash or a full disk leaves the old file whole, never a truncated one.
bool Win32WindowSystem::ReplaceFileContent(const std::string& path, std::string_view content) {
    const std::wstring target = Widen(path);
    const std::wstring temp = target + L".tmp";
    {
        UniqueHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        DWORD written = 0;
        const bool ok = ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()),
                                    &written, nullptr) &&
                        written == content.size() && ::FlushFileBuffers(file.Get());
        if (!ok) {
            file.Reset();
            ::DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!::MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace popyo
