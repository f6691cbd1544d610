// The window-manager operations the engine needs, and what its windowing framework must
// give it. The engine reaches the desktop only through this interface: the Win32
// implementation calls user32, the simulated desktop answers from memory for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Geometry.h"
#include "platform/Monitors.h"

namespace popyo {

// A form of the engine's that the framework runs modally on the engine's thread (the settings
// dialog). The framework knows it only as this: FormShow runs just before it appears.
class TModalForm {
  public:
    virtual ~TModalForm() = default;
    virtual void FormShow() = 0;

  protected:
    TModalForm() = default;
    TModalForm(const TModalForm&) = default;
    TModalForm& operator=(const TModalForm&) = default;
};

// Values of the Win32 constants the engine passes through. They carry a k prefix so that
// this header can sit beside <windows.h>, whose macros have the plain names.
inline constexpr std::int32_t kGwlStyle = -16;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsMinimize = 0x20000000;
inline constexpr std::uint32_t kWsMaximize = 0x01000000;
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;

inline constexpr std::uint32_t kGaRoot = 2;
inline constexpr std::uint32_t kGwOwner = 4;
// The class of the windows that show menus.
inline constexpr char kMenuClassName[] = "#32768";

inline constexpr Hwnd kHwndTop = 0;
inline constexpr Hwnd kHwndTopmost = static_cast<Hwnd>(-1);
inline constexpr Hwnd kHwndNoTopmost = static_cast<Hwnd>(-2);
inline constexpr std::uint32_t kSwpNoSize = 0x0001;
inline constexpr std::uint32_t kSwpNoMove = 0x0002;
inline constexpr std::uint32_t kSwpNoZOrder = 0x0004;
inline constexpr std::uint32_t kSwpNoActivate = 0x0010;

inline constexpr std::int32_t kSwShowMaximized = 3;
inline constexpr std::int32_t kSwRestore = 9;

inline constexpr std::int32_t kSmCxFrame = 32;

inline constexpr std::int32_t kVkLButton = 1;
inline constexpr std::int32_t kVkRButton = 2;
inline constexpr std::int32_t kVkTab = 9;
inline constexpr std::int32_t kVkShift = 16;
inline constexpr std::int32_t kVkControl = 17;
inline constexpr std::int32_t kVkF4 = 115;

class WindowSystem {
  public:
    WindowSystem() = default;
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;
    virtual ~WindowSystem() = default;

    // --- user32, kernel32, advapi32 -------------------------------------------------
    virtual Hwnd FindWindowA(std::string_view className, std::string_view title) = 0;
    virtual Hwnd GetDesktopWindow() = 0;
    virtual Hwnd GetForegroundWindow() = 0;
    // nullopt when the window is gone.
    virtual std::optional<TRect> GetWindowRect(Hwnd wnd) = 0;
    // 0 for a window that no longer exists.
    virtual std::uint32_t GetWindowLongA(Hwnd wnd, std::int32_t index) = 0;
    // Moves without resizing (the size arguments are always 0). Neither this nor ShowWindow
    // waits for a program that has stopped taking messages: the call is queued to the
    // window's thread and lands when it wakes, while the window's rectangle and style still
    // read as they were. A responsive program has taken the call when it returns.
    virtual void SetWindowPos(Hwnd wnd,
                              Hwnd insertAfter,
                              std::int32_t x,
                              std::int32_t y,
                              std::uint32_t flags) = 0;
    virtual void ShowWindow(Hwnd wnd, std::int32_t cmdShow) = 0;
    // The window's program has stopped taking messages (IsHungAppWindow, or a queued call it
    // has not taken). A call that would wait for its thread is skipped.
    virtual bool IsHung(Hwnd wnd) = 0;
    // The window under the point, 0 for none.
    virtual Hwnd WindowFromPoint(TPoint p) = 0;
    // GA_ROOT: the top-level window a window belongs to.
    virtual Hwnd GetAncestor(Hwnd wnd, std::uint32_t flags) = 0;
    // GW_OWNER: the window's owner, 0 for none.
    virtual Hwnd GetWindow(Hwnd wnd, std::uint32_t cmd) = 0;
    // Empty when the window is gone.
    virtual std::string GetClassNameA(Hwnd wnd) = 0;
    virtual std::optional<TPoint> GetCursorPos() = 0;
    // EnumDisplayMonitors and GetMonitorInfo: each monitor's rectangle.
    virtual MonitorList GetMonitors() = 0;
    // DWM: true while the window is cloaked (on another virtual desktop, say). false
    // whenever DWM cannot tell: no DWM, or an older system.
    virtual bool IsCloaked(Hwnd wnd) = 0;
    // DWM's extended frame bounds: the visible frame, without the invisible resize borders
    // that a window's rectangle includes. nullopt whenever DWM cannot tell.
    virtual std::optional<TRect> GetVisibleFrame(Hwnd wnd) = 0;
    // True for a window of the engine's own thread: its window, dialog and message boxes.
    virtual bool IsOwnWindow(Hwnd wnd) = 0;
    // Negative while the key or mouse button is down, system-wide.
    virtual std::int16_t GetKeyState(std::int32_t virtualKey) = 0;
    virtual std::int32_t GetSystemMetrics(std::int32_t index) = 0;
    virtual void SetForegroundWindow(Hwnd wnd) = 0;
    virtual std::uint32_t GetWindowThreadProcessId(Hwnd wnd) = 0;
    virtual void AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) = 0;
    // SystemParametersInfoA with SPI_GETFOREGROUNDLOCKTIMEOUT / SPI_SETFOREGROUNDLOCKTIMEOUT,
    // no update flags.
    virtual std::uint32_t GetForegroundLockTimeout() = 0;
    virtual void SetForegroundLockTimeout(std::uint32_t ms) = 0;
    virtual void Sleep(std::uint32_t ms) = 0;
    // GetUserDefaultUILanguage: the language id of Windows' own user interface.
    virtual std::uint16_t UiLanguage() = 0;
    // GetUserName; nullopt when the name cannot be read. UTF-8.
    virtual std::optional<std::string> UserName() = 0;

    // --- the windowing framework ------------------------------------------------------
    // Full path of the running executable, UTF-8, with "\" separators.
    virtual std::string ExecutablePath() = 0;
    // A modal notice owned by the engine window, MB_OK. UTF-8 texts.
    virtual void ShowNotice(std::string_view text, std::string_view caption) = 0;
    // The framework's error box: the text as given, the application title as caption, an
    // error icon.
    virtual void ShowErrorBox(std::string_view text) = 0;
    virtual void SetApplicationTitle(std::string_view title) = 0;
    virtual void SetEngineWindowTitle(std::string_view title) = 0;
    // Lets the message reach the engine window from programs of a lower integrity level
    // (ChangeWindowMessageFilterEx, MSGFLT_ALLOW).
    virtual void AllowMessage(std::uint32_t msg) = 0;
    // Claims the one-engine-per-session lock, held until the process ends. false when
    // another engine holds it: two engines started at the same instant can both miss each
    // other's window, but not both get the lock.
    virtual bool ClaimSingleInstance() = 0;
    // Width of the engine window, in pixels.
    virtual std::int32_t EngineWindowWidth() = 0;
    // Timer1: 50 ms ticks on the engine's thread.
    virtual void SetTimer1Enabled(bool enabled) = 0;
    // Timer2: fires once, on the engine's thread, after about `afterMs`; nullopt stops it.
    // It draws the frames of slides between ticks, and runs only while windows slide.
    virtual void SetTimer2(std::optional<std::uint32_t> afterMs) = 0;
    // A steady clock, in microseconds.
    virtual std::int64_t NowMicros() = 0;
    // Ask the application to end: the message loop stops (and any modal loop in it).
    virtual void Terminate() = 0;
    // Runs the form modally; returns once it has closed.
    virtual void ShowModal(TModalForm& form) = 0;

    // --- files, UTF-8 paths -----------------------------------------------------------
    virtual bool FileExists(const std::string& path) = 0;
    // nullopt when the file cannot be opened for reading.
    virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;
    // Replaces the file in one step: either the old or the new content is on disk
    // afterwards, never a part of it. false when it cannot be written.
    virtual bool ReplaceFileContent(const std::string& path, std::string_view content) = 0;
};

}  // namespace popyo
