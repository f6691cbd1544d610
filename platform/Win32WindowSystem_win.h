// The window system on real Windows: each operation is one user32, kernel32 or advapi32
// call, translated between the engine's 32-bit handles and UTF-8 texts and Win32's types.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/ForeignWindows_win.h"
#include "platform/TimerResolution_win.h"
#include "platform/Win32Util_win.h"
#include "platform/WindowSystem.h"

namespace popyo {

class Win32WindowSystem final : public WindowSystem {
  public:
    // What shows a modal form on the desktop, owned by the engine window; it returns once the
    // form has closed, or at once when the application has been asked to end (`terminated`).
    // The program entry wires it in, so that this layer knows no form of the engine's.
    using ModalView = std::function<void(HWND owner, TModalForm& form, const bool& terminated)>;
    void SetModalView(ModalView view) { modalView_ = std::move(view); }

    // The engine window becomes known when it is created.
    void SetEngineWindow(HWND wnd) { engineWnd_ = wnd; }
    HWND EngineWindow() const { return engineWnd_; }
    bool Terminated() const { return terminated_; }
    // Called at each timer message: the answers of one tick come from one reading of the
    // mouse-button swap, which the user may change at any time.
    void NewTick() { swapButtons_.reset(); }
    // Timer2 fires once: it is stopped before the engine hears of it.
    void Timer2Fired();

    Hwnd FindWindowA(std::string_view className, std::string_view title) override;
    Hwnd GetDesktopWindow() override;
    Hwnd GetForegroundWindow() override;
    std::optional<TRect> GetWindowRect(Hwnd wnd) override;
    std::uint32_t GetWindowLongA(Hwnd wnd, std::int32_t index) override;
    void SetWindowPos(Hwnd wnd,
                      Hwnd insertAfter,
                      std::int32_t x,
                      std::int32_t y,
                      std::uint32_t flags) override;
    void ShowWindow(Hwnd wnd, std::int32_t cmdShow) override;
    bool IsHung(Hwnd wnd) override;
    Hwnd WindowFromPoint(TPoint p) override;
    Hwnd GetAncestor(Hwnd wnd, std::uint32_t flags) override;
    Hwnd GetWindow(Hwnd wnd, std::uint32_t cmd) override;
    std::string GetClassNameA(Hwnd wnd) override;
    std::optional<TPoint> GetCursorPos() override;
    MonitorList GetMonitors() override;
    bool IsCloaked(Hwnd wnd) override;
    std::optional<TRect> GetVisibleFrame(Hwnd wnd) override;
    bool IsOwnWindow(Hwnd wnd) override;
    std::int16_t GetKeyState(std::int32_t virtualKey) override;
    std::int32_t GetSystemMetrics(std::int32_t index) override;
    void SetForegroundWindow(Hwnd wnd) override;
    std::uint32_t GetWindowThreadProcessId(Hwnd wnd) override;
    void AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) override;
    std::uint32_t GetForegroundLockTimeout() override;
    void SetForegroundLockTimeout(std::uint32_t ms) override;
    void Sleep(std::uint32_t ms) override;
    std::optional<std::string> UserName() override;
    std::uint16_t UiLanguage() override;

    std::string ExecutablePath() override;
    void ShowNotice(std::string_view text, std::string_view caption) override;
    void ShowErrorBox(std::string_view text) override;
    void SetApplicationTitle(std::string_view title) override;
    const std::wstring& ApplicationTitle() const { return applicationTitle_; }
    void SetEngineWindowTitle(std::string_view title) override;
    void AllowMessage(std::uint32_t msg) override;
    bool ClaimSingleInstance() override;
    std::int32_t EngineWindowWidth() override;
    void SetTimer1Enabled(bool enabled) override;
    void SetTimer2(std::optional<std::uint32_t> afterMs) override;
    std::int64_t NowMicros() override;
    void Terminate() override;
    void ShowModal(TModalForm& form) override;

    bool FileExists(const std::string& path) override;
    std::optional<std::string> ReadWholeFile(const std::string& path) override;
    bool ReplaceFileContent(const std::string& path, std::string_view content) override;

    static constexpr UINT_PTR kTimer1Id = 1;
    static constexpr UINT kTimer1Interval = 50;
    static constexpr UINT_PTR kTimer2Id = 2;

  private:
    // DwmGetWindowAttribute, looked up once; nullptr where dwmapi.dll is missing.
    using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    DwmGetWindowAttributeFn Dwm();

    HWND engineWnd_ = nullptr;
    ForeignWindows foreign_;
    std::wstring applicationTitle_ = kApplicationTitle;
    UniqueModule dwmapi_;
    DwmGetWindowAttributeFn dwmGetWindowAttribute_ = nullptr;
    bool dwmLookedUp_ = false;
    // While frames are drawn the system timer ticks every millisecond, not every 15.6.
    FineTimerResolution fineTimer_;
    ModalView modalView_;
    UniqueHandle instanceLock_;
    bool terminated_ = false;
    std::optional<bool> swapButtons_;
};

}  // namespace popyo
