// The tray's hotkeys as the rules file writes them ("Ctrl+Alt+Shift+Left") and as
// RegisterHotKey takes them (modifier bits and a virtual-key code).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Language.h"
#include "protocol/PopyoDef.h"

namespace popyo::tray {

// The values Windows gives MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN.
inline constexpr std::uint32_t kModAlt = 0x1;
inline constexpr std::uint32_t kModControl = 0x2;
inline constexpr std::uint32_t kModShift = 0x4;
inline constexpr std::uint32_t kModWin = 0x8;

struct Hotkey {
    std::uint32_t modifiers = 0;
    std::uint32_t key = 0;  // virtual-key code
    friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

// What a hotkey does; the order is the order of the [hotkeys] table in the README.
enum class HotkeyAction : std::uint8_t { TuckLeft, TuckTop, TuckBottom, TuckRight, ReleaseAll };
inline constexpr std::size_t kHotkeyActionCount = 5;

// Per action, its key; nothing when the action has none.
using HotkeySet = std::array<std::optional<Hotkey>, kHotkeyActionCount>;

HotkeySet DefaultHotkeys();

// The key of the action in the [hotkeys] table: "left" ... "release_all".
std::string_view ActionName(HotkeyAction action);
// What the action does, for notices: "tuck or release at the left edge".
std::string ActionWords(HotkeyAction action, Language language);
// The edge a tuck action works at; edNone for release-all.
Edge ActionEdge(HotkeyAction action);

struct HotkeyParse {
    std::optional<Hotkey> hotkey;
    std::string error;  // when there is no hotkey
};
// Modifiers and one key joined by "+", in any letter case: "ctrl+alt+shift+left".
HotkeyParse ParseHotkey(std::string_view text);
// Modifiers in the order Ctrl, Alt, Shift, Win, then the key: "Ctrl+Alt+Shift+Left".
std::string FormatHotkey(const Hotkey& hotkey);

}  // namespace popyo::tray
