// An in-memory window manager for the native tests: windows with class, title, rectangle,
// style bits, topmost flag and thread; the foreground window, cursor and key states; files.
// It follows the behaviour the engine relies on from the real one and records every call,
// so tests can assert which calls were made and how many.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

namespace popyo {

enum class CallKind : std::uint8_t {
    FindWindowA,
    GetDesktopWindow,
    GetForegroundWindow,
    GetWindowRect,
    GetWindowLongA,
    SetWindowPos,
    ShowWindow,
    WindowFromPoint,
    GetAncestor,
    GetMonitors,
    DwmGetWindowAttribute,
    IsOwnWindow,
    GetWindow,
    GetClassNameA,
    GetCursorPos,
    GetKeyState,
    GetSystemMetrics,
    SetForegroundWindow,
    GetWindowThreadProcessId,
    AttachThreadInput,
    GetForegroundLockTimeout,
    SetForegroundLockTimeout,
    Sleep,
    Other,
    Count
};

struct Call {
    CallKind kind;
    Hwnd wnd = 0;
    Hwnd insertAfter = 0;  // SetWindowPos
    std::int32_t x = 0;    // SetWindowPos position, ShowWindow command, key, timeout value
    std::int32_t y = 0;
    std::uint32_t flags = 0;  // SetWindowPos flags; AttachThreadInput: 1 attach, 0 detach
    friend bool operator==(const Call&, const Call&) = default;
};

struct SimWindow {
    std::string className;
    std::string title;
    TRect rect{};
    TRect normalRect{};  // where SW_RESTORE puts a minimized or maximized window
    std::uint32_t style = 0;
    bool topmost = false;
    std::uint32_t thread = 1;
    bool restoresMaximized = false;  // minimized from maximized: SW_RESTORE maximizes it
    Hwnd owner = 0;
    std::uint64_t z = 0;   // higher lies above, within the topmost band and below it
    bool cloaked = false;  // on another virtual desktop
    // DWM's invisible resize borders, inside the rectangle on each side; nullopt where DWM
    // answers nothing, as under Wine.
    std::optional<TRect> frameInsets;
    // Its program takes no message: moves and show states queue until it wakes.
    bool hung = false;
    std::vector<Call> queued;
};

// The windows by handle. Handles are minted from a counter, four apart as on Windows, so a
// handle finds its window in constant time however many windows there are.
class SimWindowTable {
  public:
    Hwnd Add(SimWindow window);
    SimWindow* Find(Hwnd wnd);
    const SimWindow* Find(Hwnd wnd) const;
    SimWindow& At(Hwnd wnd);
    const SimWindow& At(Hwnd wnd) const;
    void Erase(Hwnd wnd);
    // The first window, in handle order, for which the predicate holds; 0 when none does.
    template <class Pred>
    Hwnd FindIf(Pred pred) const {
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i] && pred(*slots_[i])) {
                return HandleOf(i);
            }
        }
        return 0;
    }
    template <class F>
    void ForEach(F f) const {
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i]) {
                f(HandleOf(i), *slots_[i]);
            }
        }
    }

  private:
    static constexpr Hwnd kFirstHandle = 0x10010;
    static Hwnd HandleOf(std::size_t index) { return kFirstHandle + static_cast<Hwnd>(index) * 4; }
    std::vector<std::optional<SimWindow>> slots_;
};

class SimDesktop final : public WindowSystem {
  public:
    // The default screen is 1920 x 1080 at the origin.
    explicit SimDesktop(TRect screen = {0, 0, 1920, 1080});

    // --- the simulated world, for tests -------------------------------------------------
    Hwnd AddWindow(TRect rect,
                   std::string className = "TestWindow",
                   std::string title = "",
                   std::uint32_t thread = 1);
    // A hidden top-level window of class Progman covering the screen, as a Windows shell has.
    Hwnd AddShellWindows();
    void Destroy(Hwnd wnd);
    void Minimize(Hwnd wnd);
    void Maximize(Hwnd wnd);
    void SetVisible(Hwnd wnd, bool visible);
    void MoveTo(Hwnd wnd, std::int32_t left, std::int32_t top);
    // The window's program stops taking messages, and takes what queued when it wakes.
    void Hang(Hwnd wnd);
    void Wake(Hwnd wnd);
    // Puts the window above every other of its band, as activating it would.
    void Raise(Hwnd wnd);
    bool Exists(Hwnd wnd) const { return windows_.Find(wnd) != nullptr; }
    SimWindow& Window(Hwnd wnd) { return windows_.At(wnd); }
    const TRect& RectOf(Hwnd wnd) const { return windows_.At(wnd).rect; }
    std::int32_t LeftOf(Hwnd wnd) const { return windows_.At(wnd).rect.Left; }
    std::int32_t TopOf(Hwnd wnd) const { return windows_.At(wnd).rect.Top; }
    // One monitor, the whole screen.
    void SetScreen(TRect screen);
    // Several monitors; the desktop window spans their bounding box.
    void SetMonitors(const MonitorList& monitors);
    const MonitorList& Monitors() const { return monitors_; }

    Hwnd foreground = 0;
    TPoint cursor{};
    std::set<std::int32_t> keysDown;
    std::int32_t cxFrame = 4;
    // The thread of the engine window, its dialog and its message boxes.
    std::uint32_t engineThread = 2;
    std::uint32_t lockTimeout = 200000;
    // How many SetForegroundWindow calls fail before one succeeds; -1: all fail.
    int foregroundRefusals = 0;
    std::optional<std::string> userName = std::string("tester");
    // Japanese, as the engine's tests were written for; 0x0409 is English (United States).
    std::uint16_t uiLanguage = 0x0411;
    std::string applicationTitle;
    std::string exePath = "C:\\Program Files\\Popyonn\\PopyonnEngine.exe";

    // Files by path; paths in these sets cannot be read or written.
    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    std::set<std::string> unwritable;

    // The framework's side.
    std::string engineTitle;
    std::vector<std::uint32_t> allowedMessages;
    bool anotherInstanceHoldsLock = false;
    bool timerEnabled = false;
    int timerSwitches = 0;
    // Timer2's next firing, in the simulated clock's microseconds, and the clock itself.
    std::optional<std::int64_t> timer2Due;
    std::int64_t nowMicros = 0;
    bool terminated = false;
    std::vector<std::pair<std::string, std::string>> notices;  // text, caption
    std::vector<std::string> errorBoxes;
    // What the user does in a modal form (the settings dialog); the default closes it at once.
    std::function<void(TModalForm&)> modalScript;
    int modalRuns = 0;
    // Runs after every recorded window call: a test can deliver a control message while
    // the engine waits inside a window-manager call.
    std::function<void(const Call&)> onCall;

    // --- recorded calls ----------------------------------------------------------------------
    bool recordCalls = true;
    std::vector<Call> calls;
    std::array<std::uint64_t, static_cast<std::size_t>(CallKind::Count)> counts{};
    std::uint64_t Count(CallKind kind) const { return counts[static_cast<std::size_t>(kind)]; }
    std::uint64_t TotalCalls() const;
    std::vector<Call> CallsOf(CallKind kind) const;
    void ClearCalls();

    // --- WindowSystem ------------------------------------------------------------------------
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
    // Not recorded: it reads what the window layer already knows, and makes no call that
    // the engine's call counts weigh.
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
    std::optional<std::string> UserName() override { return userName; }
    std::uint16_t UiLanguage() override { return uiLanguage; }
    void SetApplicationTitle(std::string_view title) override { applicationTitle = title; }
    std::string ExecutablePath() override { return exePath; }
    void ShowNotice(std::string_view text, std::string_view caption) override;
    void ShowErrorBox(std::string_view text) override;
    void SetEngineWindowTitle(std::string_view title) override;
    void AllowMessage(std::uint32_t msg) override { allowedMessages.push_back(msg); }
    bool ClaimSingleInstance() override { return !anotherInstanceHoldsLock; }
    std::int32_t EngineWindowWidth() override { return 115; }
    void SetTimer1Enabled(bool enabled) override;
    void SetTimer2(std::optional<std::uint32_t> afterMs) override;
    std::int64_t NowMicros() override { return nowMicros; }
    void Terminate() override { terminated = true; }
    void ShowModal(TModalForm& form) override;
    bool FileExists(const std::string& path) override;
    std::optional<std::string> ReadWholeFile(const std::string& path) override;
    bool ReplaceFileContent(const std::string& path, std::string_view content) override;

    // Calls that would have waited for a hung program: an input attach to its thread.
    int blockedCalls = 0;

    // Attached thread pairs (attach, attachTo) that have not been detached again.
    std::multiset<std::pair<std::uint32_t, std::uint32_t>> attachedInputs;

  private:
    void Record(Call call);
    SimWindow* Find(Hwnd wnd);
    bool QueuedWhileHung(const Call& call);
    void ApplySetWindowPos(const Call& call);
    void ApplyShowWindow(Hwnd wnd, std::int32_t cmdShow);
    bool ThreadHung(std::uint32_t thread) const;

    SimWindowTable windows_;
    Hwnd desktop_;
    MonitorList monitors_;
    std::uint64_t zCounter_ = 0;
};

}  // namespace popyo
