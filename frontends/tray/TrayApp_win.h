// PopyonnTray's one object: its hidden window (the front-end's identity to the engine), the
// notification icon and menu, the hotkeys, the rules file and the windows it holds.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontends/tray/Holdings.h"
#include "frontends/tray/HotkeyRegistrar_win.h"
#include "frontends/tray/NotifyIcon_win.h"
#include "frontends/tray/RulesFile.h"
#include "frontends/tray/Summon.h"
#include "frontends/tray/TrayEngine_win.h"
#include "frontends/tray/TrayFiles_win.h"
#include "frontends/tray/WinEventHooks_win.h"
#include "frontends/tray/WindowWatch.h"

namespace popyo::tray {

class TrayApp {
  public:
    TrayApp(HINSTANCE instance, std::wstring rulesPath);
    ~TrayApp();
    TrayApp(const TrayApp&) = delete;
    TrayApp& operator=(const TrayApp&) = delete;

    // Connects to the engine and runs until Exit; answers the process's exit code.
    int Run();

    // For the window procedure thunk.
    void Attach(HWND wnd) { wnd_ = wnd; }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    // Life (TrayApp_win.cpp).
    bool ConnectEngine(bool restart);
    int RunMessageLoop();
    void OnEngineSignalled();
    void OnTick();
    void ScanDesktop(Ms now);
    void OnWindowEvent(DWORD event, HWND wnd, LONG object, LONG child);
    void OnLookTimer();
    void ArmLookTimer();
    void OnEngineEnded(DWORD exitCode);
    void Shutdown();
    void OnIconEvent(UINT event, POINT anchor);
    void UpdateTooltip();

    // Rules and hotkeys (TrayRules_win.cpp).
    void PollRulesFile();
    void OnRulesDue(Ms now);
    void LoadRules(bool atStart);
    void ApplyHotkeys(const HotkeySet& hotkeys, const std::vector<Summon>& summons, bool force);
    void ApplyRules(const std::vector<frontend::Rule>& rules);
    void SendEngineOptions();
    // The rules file's choice of language, or Windows' own.
    void SetLanguage(std::int32_t choice);
    void TakeRuleWindows();
    void LookAt(HWND wnd);
    void TakeByRule(const frontend::TopWindow& window);

    // Windows and commands (TrayCommands_win.cpp).
    bool Take(HWND wnd, Edge edge, std::optional<frontend::Rule> rule);
    void Release(HWND wnd);
    void Pop(HWND wnd);
    void PassByShell();
    void OnPopTimer();
    void ReleaseAll();
    void OnHotkey(HotkeyAction action);
    void ShowMenu(POINT at);
    void OnCommand(std::uint32_t id, HWND target, const std::vector<Hwnd>& shown);
    void TrackForeground();
    HWND TuckTarget(HWND wnd) const;
    void ForgetGoneWindows();
    void EditRules();
    void ToggleStartWithWindows();

    // A rule's own key (TraySummon_win.cpp).
    void OnSummonKey(std::size_t index);
    HWND HeldByRule(std::size_t rule) const;
    HWND FreeWindowOfRule(std::size_t rule);
    void BringOutNew(HWND wnd, const Summon& summon);
    void StartProgram(std::size_t index);
    void Arrived(HWND wnd, std::size_t rule);
    void GiveForegroundBack(HWND wnd);
    void OnLaunchTimer();
    void ArmLaunchTimer();
    std::vector<std::optional<Hotkey>> HeldKeys() const;

    HINSTANCE instance_;
    std::wstring exePath_;
    std::wstring rulesPath_;
    HWND wnd_ = nullptr;
    UINT taskbarCreated_ = 0;
    std::unique_ptr<NotifyIcon> icon_;
    std::unique_ptr<HotkeyRegistrar> hotkeys_;
    std::unique_ptr<WinEventHooks> events_;
    FolderWatch rulesFolder_;
    WindowWatch watch_{::GetTickCount64()};
    std::optional<Ms> lookTimerDue_;
    std::optional<TrayEngine> engine_;
    Holdings holdings_;
    TrayConfig config_;
    Language language_ = Language::English;
    FileStamp rulesSeen_;
    FileStamp rulesLoaded_;
    static constexpr UINT_PTR kTickTimer = 1;
    static constexpr UINT_PTR kPopTimer = 2;
    static constexpr UINT_PTR kLookTimer = 3;
    static constexpr UINT_PTR kLaunchTimer = 4;
    Launches launches_;
    // The active window when a rule's key last brought its window out.
    HWND summonedFrom_ = nullptr;

    HWND lastForeground_ = nullptr;
    // The window a pop brings out, and how far the pop has come.
    HWND popping_ = nullptr;
    enum class PopPhase { PassingShell, Checking } popPhase_ = PopPhase::PassingShell;
    unsigned popTries_ = 0;
    // Per edge, the window its tuck key took last: the same key releases it again also when
    // the foreground has gone to the desktop meanwhile.
    std::array<Hwnd, edRight + 1> lastTuckedByKey_{};
    ULONGLONG restartedAt_ = 0;
    unsigned messages_ = 0;
    bool inTick_ = false;
    bool shuttingDown_ = false;
};

}  // namespace popyo::tray
