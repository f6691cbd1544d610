// The rules file as the tray follows it: read at start, read again within a second of every
// save, and applied to the windows the rules took and to the windows that come.
#include "frontends/common/TopWindows_win.h"
#include "frontends/tray/Notice_win.h"
#include "frontends/tray/TrayApp_win.h"
#include "frontends/tray/TrayTexts_win.h"

namespace popyo::tray {
namespace {

std::wstring HotkeysRefusedText(const std::vector<HotkeyAction>& refused,
                                const HotkeySet& hotkeys,
                                const std::vector<std::size_t>& refusedSummons,
                                const std::vector<Summon>& summons,
                                const std::wstring& rulesPath,
                                Language language) {
    std::wstring text = SayW(TrayText::HotkeysTaken, language);
    for (const HotkeyAction action : refused) {
        const auto& hotkey = hotkeys[static_cast<std::size_t>(action)];
        text += L"\n    " + Widen(FormatHotkey(*hotkey)) + L"  (" +
                Widen(ActionWords(action, language)) + L")";
    }
    for (const std::size_t i : refusedSummons) {
        text += L"\n    " + Widen(FormatHotkey(summons[i].hotkey)) + L"  (" +
                SayW(TrayText::HotkeySummon, language, {std::to_wstring(summons[i].line)}) + L")";
    }
    return text + SayW(TrayText::HotkeysTakenEnd, language, {rulesPath});
}

frontend::Program ProgramFor(const std::vector<frontend::Rule>& rules) {
    return frontend::NamesAProgram(rules) ? frontend::Program::Named : frontend::Program::Unnamed;
}

}  // namespace

void TrayApp::PollRulesFile() {
    const FileStamp stamp = StampOf(rulesPath_);
    // An editor may still be writing: the file is read once it has held still for a tick.
    if (stamp != rulesSeen_) {
        rulesSeen_ = stamp;
        return;
    }
    if (stamp != rulesLoaded_) {
        LoadRules(false);
    }
}

// A save has settled, or the scan found the file changed.
void TrayApp::OnRulesDue(Ms now) {
    const FileStamp loaded = rulesLoaded_;
    PollRulesFile();
    if (rulesLoaded_ != loaded) {
        // New rules take their windows now, not at the next scan.
        try {
            TakeRuleWindows();
        } catch (const frontend::Failure&) {
        }
    } else if (StampOf(rulesPath_) != rulesLoaded_) {
        // Still being written, or held by its editor: looked at again.
        watch_.RulesTouched(now);
    }
}

void TrayApp::LoadRules(bool atStart) {
    const FileStamp stamp = StampOf(rulesPath_);
    if (!stamp.exists) {
        // No file: no rules, and every hotkey at its default.
        rulesSeen_ = rulesLoaded_ = stamp;
        if (!atStart) {
            const TrayConfig none;
            ApplyHotkeys(none.hotkeys, none.summons, false);
            ApplyRules(none.rules);
            config_.engineOptions = none.engineOptions;
            SetLanguage(none.language);
            SendEngineOptions();
        }
        return;
    }
    const auto bytes = ReadFileBytes(rulesPath_);
    if (!bytes) {
        return;  // held by the editor that saves it: read on a later tick
    }
    rulesSeen_ = rulesLoaded_ = stamp;
    RulesParse parsed = ParseRulesFile(*bytes);
    if (!parsed.config) {
        ShowNotice(
            SayW(atStart ? TrayText::RulesFaultAtStart : TrayText::RulesFaultLater, language_) +
            L"\n\n" + Widen(FormatRulesError(Narrow(FileNameOf(rulesPath_)), parsed.error)));
        return;
    }
    if (atStart) {
        config_ = std::move(*parsed.config);
        SetLanguage(config_.language);
        return;
    }
    SetLanguage(parsed.config->language);
    ApplyHotkeys(parsed.config->hotkeys, parsed.config->summons, false);
    ApplyRules(parsed.config->rules);
    config_.engineOptions = parsed.config->engineOptions;
    SendEngineOptions();
}

void TrayApp::SetLanguage(std::int32_t choice) {
    config_.language = choice;
    language_ = ChooseLanguage(choice, ::GetUserDefaultUILanguage());
}

void TrayApp::SendEngineOptions() {
    if (!engine_) {
        return;
    }
    try {
        for (const OptionValue& option : config_.engineOptions) {
            engine_->SetOption(option.id, option.value);
        }
    } catch (const frontend::Failure&) {
        // The engine is busy or gone; the tick finds out which, and a new one gets them all.
    }
}

void TrayApp::ApplyHotkeys(const HotkeySet& hotkeys,
                           const std::vector<Summon>& summons,
                           bool force) {
    const bool actionsChanged = force || hotkeys != config_.hotkeys;
    const bool summonsChanged = force || summons != config_.summons;
    std::vector<HotkeyAction> refused;
    std::vector<std::size_t> refusedSummons;
    if (actionsChanged) {
        config_.hotkeys = hotkeys;
        refused = hotkeys_->Apply(hotkeys);
    }
    if (summonsChanged) {
        // A start awaited under the old rules would bring out a window of another rule.
        launches_.Clear();
        config_.summons = summons;
        refusedSummons = hotkeys_->ApplySummons(summons);
    }
    if (!refused.empty() || !refusedSummons.empty()) {
        ShowNotice(
            HotkeysRefusedText(refused, hotkeys, refusedSummons, summons, rulesPath_, language_));
    }
}

void TrayApp::ApplyRules(const std::vector<frontend::Rule>& rules) {
    const std::vector<Held> held = holdings_.All();
    for (const Held& h : held) {
        const ReloadStep step = PlanReload(h, frontend::Describe(ToHwnd(h.handle)), rules);
        try {
            switch (step.kind) {
                case ReloadStep::Kind::Keep:
                    holdings_.SetRule(h.handle, step.rule);
                    break;
                case ReloadStep::Kind::MoveEdge:
                    Take(ToHwnd(h.handle), step.rule->edge, step.rule);
                    break;
                case ReloadStep::Kind::Release:
                    engine_->Release(ToHwnd(h.handle));
                    holdings_.Drop(h.handle);
                    break;
            }
        } catch (const frontend::Failure&) {
            // The engine is busy or gone; the tick finds out which.
        }
    }
    config_.rules = rules;
    UpdateTooltip();
}

void TrayApp::TakeRuleWindows() {
    if (config_.rules.empty()) {
        return;
    }
    for (const frontend::TopWindow& window :
         frontend::SnapshotTopWindows(frontend::Scope::ShownWindows, ProgramFor(config_.rules))) {
        TakeByRule(window);
    }
}

// A window an event named, or one created a moment ago.
void TrayApp::LookAt(HWND wnd) {
    Seen seen;
    seen.exists = ::IsWindow(wnd) != FALSE;
    seen.shown = seen.exists && ::IsWindowVisible(wnd) && !::IsIconic(wnd);
    seen.titled = seen.exists && !frontend::TitleOf(wnd).empty();
    const Hwnd handle = FromHwnd(wnd);
    watch_.Looked(handle, seen);
    if (!seen.shown || config_.rules.empty() || holdings_.Find(handle) != nullptr ||
        holdings_.IsLetGo(handle)) {
        return;
    }
    TakeByRule(frontend::Describe(wnd, ProgramFor(config_.rules)));
}

void TrayApp::TakeByRule(const frontend::TopWindow& window) {
    if (holdings_.Find(window.handle) != nullptr || holdings_.IsLetGo(window.handle)) {
        return;
    }
    const frontend::Rule* rule = frontend::RuleFor(config_.rules, window);
    HWND wnd = ToHwnd(window.handle);
    // A window another front-end holds stays with it.
    if (rule == nullptr || TuckTarget(wnd) == nullptr || engine_->Holds(wnd)) {
        return;
    }
    if (Take(wnd, rule->edge, *rule)) {
        Arrived(wnd, static_cast<std::size_t>(rule - config_.rules.data()));
    }
}

}  // namespace popyo::tray
