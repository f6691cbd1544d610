// The tray's rules file: TOML with a [hotkeys] table and [[window]] entries.
//
//   [hotkeys]
//   left = "Ctrl+Alt+Shift+Left"    # "" turns a hotkey off; a key left out keeps its default
//
//   [[window]]
//   edge = "left"                   # left, top, bottom or right
//   exe = "notepad.exe"             # and/or class, title, title_contains: all given must match
//   hotkey = "Ctrl+Alt+T"           # optional: brings the window out and sends it away
//   run = "notepad.exe"             # with the hotkey: started when no window of the rule runs
//   args = "..."  cwd = "%USERPROFILE%"  monitor = "cursor"   # "own" by default
//
//   [engine]
//   quiet_over_fullscreen = false   # the engine's options, by name; left out: the tray's default
//
//   [tray]
//   language = "ja"                 # "en" or "ja"; left out: as Windows speaks
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/common/Rules.h"
#include "frontends/tray/Hotkeys.h"
#include "frontends/tray/Summon.h"
#include "platform/Language.h"
#include "protocol/PopyoDef.h"

namespace popyo::tray {

// An engine option and the value the tray gives it.
struct OptionValue {
    EngineOption id;
    std::int32_t value;
    friend bool operator==(const OptionValue&, const OptionValue&) = default;
};

// The tray's own choice for every engine option it sets: what a user of today's Windows
// expects, where a bare engine keeps to its old ways.
std::vector<OptionValue> TrayOptionDefaults();

struct TrayConfig {
    std::vector<frontend::Rule> rules;
    HotkeySet hotkeys = DefaultHotkeys();
    // The rules with a key of their own, in the file's order.
    std::vector<Summon> summons;
    // Sent to the engine after every attach and every reload; the language among them.
    std::vector<OptionValue> engineOptions = TrayOptionDefaults();
    // The tray's and the engine's language: lnFollowWindows, lnEnglish or lnJapanese.
    std::int32_t language = lnFollowWindows;
};

// Where the first fault of a file lies, counted from 1, and what it is.
struct RulesError {
    std::uint32_t line = 0;
    std::uint32_t column = 0;
    std::string reason;
};

struct RulesParse {
    std::optional<TrayConfig> config;
    RulesError error;  // when there is no config
};

// `text` is the file's bytes, UTF-8.
RulesParse ParseRulesFile(std::string_view text);

// "PopyoTray_me.toml, line 3, column 8: unknown key 'titel' in a [[window]] entry"
std::string FormatRulesError(std::string_view fileName, const RulesError& error);

// What "Edit rules…" writes when there is no rules file yet: comments only, so it changes
// nothing until the user writes a rule.
std::string_view RulesTemplate();

}  // namespace popyo::tray
