// Start-up, close, key handling and the settings file of the engine object.
#include "engine/frmPopyonnEngine.h"

#include "engine/EngineTexts.h"
#include "settings/frmPopyonnEngineSetting.h"

namespace popyo {

void TTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    ws_->SetTimer1Enabled(enabled);
}

TformPopyonnEngine::TformPopyonnEngine(WindowSystem& ws) : Timer1(ws), ws_(ws) {}

TformPopyonnEngine::~TformPopyonnEngine() = default;

void TformPopyonnEngine::FormCreate() {
    // No front-end has spoken yet: the engine speaks as Windows does.
    const Language language = CurrentLanguage();
    ws_.SetApplicationTitle(Say(EngineText::ApplicationTitle, language));
    // The new window's title is still empty here, so a starting engine never finds itself.
    if (ws_.FindWindowA(kEngineClassName, kEngineWindowTitle) != 0 || !ws_.ClaimSingleInstance()) {
        ws_.ShowNotice(Say(EngineText::SecondInstanceNotice, language),
                       Say(EngineText::SecondInstanceCaption, language));
        running_ = false;
        ws_.Terminate();
        return;
    }
    ws_.SetEngineWindowTitle(kEngineWindowTitle);
    // Started elevated, the engine must still hear ordinary front-ends.
    for (const ControlMessage msg : kControlMessages) {
        ws_.AllowMessage(msg);
    }
    for (const ExtensionMessage msg : kExtensionMessages) {
        ws_.AllowMessage(msg);
    }

    FindShellWindows();

    RegWins.clear();
    Busy = false;
    FrontEnds.clear();
    ForeWnd = PrevForeWnd = ws_.GetForegroundWindow();
    MainFrontEnd = -1;
    PendingEdge = 0;
    DwellCount = 0;
    LastEdge = 0;
    ApplyDefaults(SettingsFields(), Add(ws_.EngineWindowWidth(), kWxExtra));

    if (!LoadSettings()) {
        SaveSettings();
    }
    Timer1.SetEnabled(true);
}

// Without the shell's desktop window (other shells, Wine, a shell that is starting again) the
// desktop rectangle would stay all zeros and every cursor position would read as an edge: the
// system's desktop window stands in. Answers whether the shell's own was found.
bool TformPopyonnEngine::FindShellWindows() {
    DesktopWnd = ws_.FindWindowA("Progman", "Program Manager");
    const bool found = DesktopWnd != 0;
    if (!found) {
        DesktopWnd = ws_.GetDesktopWindow();
    }
    TrayWnd = ws_.FindWindowA("Shell_TrayWnd", "");
    shellSeen_ = shellSeen_ || found;
    shellLost_ = shellSeen_ && !found;
    return found;
}

// The shell announces each start of its own (TaskbarCreated): its windows are new ones.
void TformPopyonnEngine::ShellRestarted() {
    FindShellWindows();
    DesktopChanged();
}

// Every slot is released, the freed ones too; the list stays as it is.
void TformPopyonnEngine::FormCloseQuery(bool& canClose) {
    for (int i = 0; i < SlotCount(); ++i) {
        ReleaseWindow(i);
    }
    canClose = true;
}

// Alt+F4 with any other shift states is swallowed; every other key passes.
void TformPopyonnEngine::FormKeyDown(std::uint16_t& key, TShiftState shift) {
    if (key == kVkF4 && (shift & ssAlt) != 0) {
        key = 0;
    }
}

void TformPopyonnEngine::Close() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) {
        running_ = false;
        Timer1.SetEnabled(false);
        StopFrames();
        ws_.Terminate();
    }
}

Language TformPopyonnEngine::CurrentLanguage() {
    return ChooseLanguage(Wide.Options.LanguageChoice(), ws_.UiLanguage());
}

SettingFields TformPopyonnEngine::SettingsFields() {
    return {&StoredWx, &Wide.MoveStep, &Wide.EdgeWidth, &Wide.OutMargin,   &ActWin, &HiAct,
            &OutWin,   &DisableKey,    &AutoRestore,    &MouseDownDisable, &OnTime, &OffTime,
            &OutCheck, &SwitchOnTime,  &AutoActivate,   &ChangePopyonStyle};
}

std::string TformPopyonnEngine::SettingsFilePath() {
    return popyo::SettingsFilePath(ws_.ExecutablePath(), ws_.UserName().value_or(""));
}

bool TformPopyonnEngine::LoadSettings() {
    const std::string path = SettingsFilePath();
    if (!ws_.FileExists(path)) {
        return false;
    }
    const auto text = ws_.ReadWholeFile(path);
    if (!text) {
        throw SettingsError(OpenError(path, CurrentLanguage()));
    }
    ParseSettingsText(*text, SettingsFields());
    return true;
}

void TformPopyonnEngine::SaveSettings() {
    const std::string path = SettingsFilePath();
    if (!ws_.ReplaceFileContent(path, FormatSettingsText(SettingsFields()))) {
        throw SettingsError(CreateError(path, CurrentLanguage()));
    }
}

}  // namespace popyo

namespace popyo {

namespace {

// Releases the dialog and starts the tick again however the run ends, also when saving the
// accepted values fails: the engine must never stay without its tick or unable to open the
// dialog again.
class SettingsRunScope {
  public:
    SettingsRunScope(std::unique_ptr<TForm2>& dialog, TTimer& timer, const bool& running)
        : dialog_(dialog), timer_(timer), running_(running) {}
    ~SettingsRunScope() {
        dialog_.reset();
        if (running_) {
            timer_.SetEnabled(true);
        }
    }
    SettingsRunScope(const SettingsRunScope&) = delete;
    SettingsRunScope& operator=(const SettingsRunScope&) = delete;

  private:
    std::unique_ptr<TForm2>& dialog_;
    TTimer& timer_;
    const bool& running_;
};

}  // namespace

// The dialog works on a copy of the settings. When the engine is closed while it is open
// (a front-end detached), the run ends as a cancel and nothing is applied or saved.
void TformPopyonnEngine::ShowSettings() {
    if (SettingsDialog) {
        return;
    }
    Timer1.SetEnabled(false);
    // Nothing slides while the dialog is open, not even between ticks.
    StopFrames();
    SettingsDialog = std::make_unique<TForm2>();
    SettingsRunScope scope(SettingsDialog, Timer1, running_);
    TForm2& dialog = *SettingsDialog;
    // The dialog keeps the language it opens in.
    dialog.Lang = CurrentLanguage();
    CopySettings(SettingsFields(), dialog.SettingsFields());
    ws_.ShowModal(dialog);
    if (dialog.Accepted && running_) {
        CopySettings(dialog.SettingsFields(), SettingsFields());
        SaveSettings();
    }
}

}  // namespace popyo
