// Every text PopyonnTray shows a user, in English and in Japanese: its menu, tooltip,
// balloons and notices. {0} and {1} stand for what is filled in. The tray's window class,
// its command line and the rules file's keys are the same in both languages.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Language.h"

namespace popyo::tray {

enum class TrayText : std::uint8_t {
    NoWindowTucked,
    Untitled,
    EdgeLeft,
    EdgeTop,
    EdgeBottom,
    EdgeRight,
    Pop,
    Release,
    TuckActive,
    TuckLeft,
    TuckTop,
    TuckBottom,
    TuckRight,
    ReleaseAll,
    Settings,
    EditRules,
    StartWithWindows,
    Exit,
    TooltipNone,
    TooltipOne,
    TooltipMany,  // {0} windows
    Stopped,      // {0} why
    EngineUnreachable,
    EngineNotRestarted,
    EngineEndedAgain,  // {0} exit code, {1} windows put back
    RestartedTitle,
    RestartedText,      // {0} exit code, {1} windows put back
    EngineNotStarted,   // {0} folder, {1} why
    EngineEndedAtOnce,  // {0} exit code
    EngineNoWindow,
    EngineNotWatched,  // {0} why
    EngineRefused,
    RulesNotWritten,             // {0} file, {1} why
    RulesNotOpened,              // {0} file, {1} why
    StartWithWindowsFailed,      // {0} why
    StopStartWithWindowsFailed,  // {0} why
    HotkeysTaken,
    HotkeysTakenEnd,  // {0} rules file
    HotkeyReleaseAll,
    HotkeyTuckAt,  // {0} edge
    RulesFaultAtStart,
    RulesFaultLater,
    HotkeySummon,  // {0} line
    RunFailed,     // {0} line, {1} program, {2} why
    RunNoWindow,   // {0} line, {1} program
    Count
};

TextPair TrayTextPair(TrayText id);
// The text with {0}, {1}, ... replaced by `values` in order.
std::string Say(TrayText id,
                Language language,
                std::initializer_list<std::string_view> values = {});
std::string Say(TrayText id, Language language, const std::vector<std::string>& values);

}  // namespace popyo::tray
