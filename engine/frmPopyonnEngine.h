// TformPopyonnEngine: the engine object behind the hidden engine window. It holds all
// engine state (the registries, the settings, the state of the tick) and the handlers the
// window procedure calls: start-up, close, keys, the tick and the control messages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/EngineWide.h"
#include "engine/SlideFrames.h"
#include "engine/unitTRegWin.h"
#include "platform/WindowSystem.h"
#include "protocol/PopyoDef.h"
#include "settings/SettingsStore.h"

namespace popyo {

class TForm2;

using Tregwinarray = std::vector<std::unique_ptr<Tregwin>>;
using TFrontEndarray = std::vector<Hwnd>;

// Shift states of a key event, as a bit set.
enum ShiftFlag : std::uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = std::uint8_t;

// The engine window's timer: 50 ms ticks, created disabled.
class TTimer {
  public:
    explicit TTimer(WindowSystem& ws) : ws_(&ws) {}
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

  private:
    WindowSystem* ws_;
    bool enabled_ = false;
};

// The top-level window under the cursor and what decides whether it belongs to a registered
// window: its owners, whether it is a popup or menu, and its thread.
struct WindowUnderCursor {
    static constexpr std::size_t kMaxOwners = 16;
    Hwnd root = 0;
    std::array<Hwnd, kMaxOwners> owners{};
    std::size_t ownerCount = 0;
    bool popupOrMenu = false;
    std::uint32_t thread = 0;
};

class TformPopyonnEngine {
  public:
    // The engine window is 115 pixels wide; wx's default is that width + 80.
    static constexpr std::int32_t kWxExtra = 80;

    explicit TformPopyonnEngine(WindowSystem& ws);
    ~TformPopyonnEngine();
    TformPopyonnEngine(const TformPopyonnEngine&) = delete;
    TformPopyonnEngine& operator=(const TformPopyonnEngine&) = delete;

    // --- process and window --------------------------------------------------------
    // May throw SettingsError from step 10; the caller's event boundary reports it.
    void FormCreate();
    void FormCloseQuery(bool& canClose);
    void FormKeyDown(std::uint16_t& key, TShiftState shift);
    // The framework's close: the close query, then the application ends.
    void Close();
    // False once start-up refused a second instance or the engine has been closed.
    bool Running() const { return running_; }

    // --- settings store ----------------------------------------------------------------
    bool LoadSettings();
    void SaveSettings();
    SettingFields SettingsFields();
    // The language chosen by a front-end, or else Windows' own.
    Language CurrentLanguage();

    // --- registries ------------------------------------------------------------------
    void RegisterWindow(Hwnd wnd, std::uint8_t edge);
    void UnregisterWindow(Hwnd wnd);
    int IndexOfWindow(Hwnd wnd) const;
    void ReleaseWindow(int index);
    void ReleaseOwnedWindows(Hwnd frontEnd);
    void PinWindow(Hwnd wnd);
    void UnpinWindow(Hwnd wnd);
    void AttachFrontEnd(Hwnd frontEnd, std::int32_t main);
    void DetachFrontEnd(Hwnd frontEnd);
    int IndexOfFrontEnd(Hwnd wnd) const;
    std::uint8_t GetWindowStatus(Hwnd wnd) const;
    std::uint8_t GetWindowEdge(Hwnd wnd) const;
    void CompactList();
    WindowClass ClassifyWindow(Hwnd wnd, Hwnd owner) const;
    bool IsShellWindow(Hwnd wnd) const;

    // --- tick ----------------------------------------------------------------------------
    void Timer1Timer();
    // Draws the frames of the slides between two ticks.
    void Timer2Timer();
    // The display, a system setting or the DPI changed: the desktop may have a new size.
    void DesktopChanged();
    // The shell has started again, and its desktop and taskbar windows are new ones.
    void ShellRestarted();
    // A push pops a window of the monitor it was made on; a request pops any of the edge.
    void PopEdge(std::uint8_t edge, const TRect* monitor = nullptr);
    void BeginShowing(int index);
    void BeginLeaving(int index);
    void BeginHiding(int index);
    bool AllTucked() const;
    void HideAll();

    // --- control messages --------------------------------------------------------------
    // The result for a message of the control range, or nullopt for a number that has no
    // handler (the window procedure then gives it the default handling).
    std::optional<std::int32_t> Dispatch(std::uint32_t msg,
                                         std::uint32_t wParam,
                                         std::uint32_t lParam);
    std::int32_t EMSettings(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMAttach(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMDetach(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMRegister(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMSetOwner(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMSetHome(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMPop(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMHide(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMPin(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMUnpin(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMGetStatus(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMGetEdge(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMClassify(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMGetPinned(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMGetHome(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMSetOption(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMGetOption(std::uint32_t wParam, std::uint32_t lParam);
    std::int32_t EMSetMonitor(std::uint32_t wParam, std::uint32_t lParam);

    // --- settings dialog ---------------------------------------------------------------
    void ShowSettings();

    // Engine fields, in declaration order.
    TTimer Timer1;
    Hwnd DesktopWnd = 0;
    Hwnd TrayWnd = 0;
    std::int32_t StoredWx = 0;
    Tregwinarray RegWins;
    TFrontEndarray FrontEnds;
    std::int32_t MainFrontEnd = 0;
    bool Busy = false;
    Hwnd ForeWnd = 0;
    Hwnd PrevForeWnd = 0;
    std::array<std::int32_t, 9> LastPopIndex{};
    bool ActWin = false;
    bool HiAct = false;
    bool OutWin = false;
    std::int32_t DisableKey = 0;
    bool AutoRestore = false;
    bool MouseDownDisable = false;
    std::int32_t OnTime = 0;
    bool SwitchOnTime = false;
    std::int32_t OffTime = 0;
    bool OutCheck = false;
    bool AutoActivate = false;
    bool ChangePopyonStyle = false;
    std::uint32_t LastStyle = 0;
    std::uint8_t PendingEdge = 0;
    std::int32_t DwellCount = 0;
    Hwnd RestoreWnd = 0;
    std::uint8_t LastEdge = 0;
    std::uint8_t LastPopEdge = 0;

    // The engine-wide values, and the settings dialog while it is open.
    EngineWide Wide;
    std::unique_ptr<TForm2> SettingsDialog;

  private:
    Tregwin& Slot(int index) { return *RegWins[static_cast<std::size_t>(index)]; }
    const Tregwin& Slot(int index) const { return *RegWins[static_cast<std::size_t>(index)]; }
    int SlotCount() const { return static_cast<int>(RegWins.size()); }
    std::string SettingsFilePath();

    // Steps of the tick.
    bool RefreshDeskRectIfDue();
    void ReadDeskRect();
    std::optional<TRect> ReadShellRect();
    bool FindShellWindows();
    bool AnySliding() const;
    void ActivationPass(bool buttonDown);
    std::uint8_t EdgeUnderCursor(TPoint cursor, TRect& monitor) const;
    bool EdgeTestAllowed(bool leftDown);
    void CountDwell(std::uint8_t curEdge, const TRect& monitor);
    bool WindowPass(TPoint cursor, bool buttonDown);
    bool CursorCountsInside(int index, TPoint cursor);
    bool CursorOnOwnPopup(Hwnd wnd, TPoint cursor);
    const WindowUnderCursor& LookUpWindowUnderCursor(TPoint cursor);
    void StepWindow(int index);
    void FinishHidden(int index);
    void FinishShown(int index);
    bool OnEdge(int index, std::uint8_t edge, const TRect* monitor) const;
    int FirstIndexToLook(std::uint8_t edge, const TRect* monitor, int start) const;
    bool Eligible(int index, std::uint8_t edge, const TRect* monitor, int remembered);
    bool CloakedNow(int index);
    void PlanFrames(std::int64_t tickMicros);
    bool MoveFrame(FramedSlide& slide, int frame);
    void ArmTimer2(std::int64_t now);
    void StopFrames();
    TRect PushedMonitor() const;
    bool FullScreenInFront(const TRect& monitor);
    bool SeveralMonitors() const { return Wide.Monitors.Count() >= 2; }
    void ReadMonitors();
    void MoveToMonitor(Tregwin& slot, const TRect& monitor);
    bool ShownOnDesktop(const TRect& r) const;

    TPoint HomeOnDesktop(Hwnd wnd, const TRect& home);

    WindowSystem& ws_;
    TPoint cursor_{};
    // Counts the ticks, so that a question about a window is asked once a tick at most.
    std::uint64_t tickNumber_ = 0;
    SlideFrames frames_;
    bool timer2On_ = false;
    bool running_ = true;
    // When the desktop rectangle is read: at the first tick, on every tick for a while after
    // the desktop may have changed, and otherwise every so many ticks.
    bool deskEverRead_ = false;
    bool monitorsRead_ = false;
    std::int32_t deskAge_ = 0;
    std::int32_t displayChangeTicks_ = 0;
    // The desktop rectangle changed: hidden windows it now shows must hide again.
    bool hiddenMayShow_ = false;
    // The shell's desktop window was found once, and is gone now: it is looked for again at
    // each reading of the desktop until the shell is back.
    bool shellSeen_ = false;
    bool shellLost_ = false;
    // Looked up at most once a tick, and only when a window that is out has the cursor
    // outside it.
    std::optional<WindowUnderCursor> underCursor_;
};

// Runs an event handler the way the framework does: an error ends the handler and shows
// in the error box, with a period appended.
template <class Handler>
void RunAtEventBoundary(WindowSystem& ws, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        try {
            ws.ShowErrorBox(std::string(e.what()) + ".");
        } catch (...) {
        }
    } catch (...) {
    }
}

}  // namespace popyo
