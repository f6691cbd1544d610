#include "frontends/tray/Hotkeys.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <vector>

#include "frontends/tray/TrayTexts.h"

namespace popyo::tray {
namespace {

// Texts start as std::string rather than a literal: GCC 12 warns falsely (-Wrestrict) on a
// literal followed by a temporary string.

struct Name {
    std::string_view text;
    std::uint32_t code;
};

// First spelling of each is the one written back.
constexpr Name kModifiers[] = {
    {"Ctrl", kModControl}, {"Control", kModControl}, {"Alt", kModAlt},
    {"Shift", kModShift},  {"Win", kModWin},         {"Windows", kModWin},
};

// Keys with a name rather than a single letter or digit, with their virtual-key codes.
constexpr Name kKeys[] = {
    {"Left", 0x25},
    {"Up", 0x26},
    {"Right", 0x27},
    {"Down", 0x28},
    {"Home", 0x24},
    {"End", 0x23},
    {"PageUp", 0x21},
    {"PgUp", 0x21},
    {"PageDown", 0x22},
    {"PgDn", 0x22},
    {"Insert", 0x2D},
    {"Ins", 0x2D},
    {"Delete", 0x2E},
    {"Del", 0x2E},
    {"Space", 0x20},
    {"Tab", 0x09},
    {"Enter", 0x0D},
    {"Backspace", 0x08},
    {"Escape", 0x1B},
    {"Esc", 0x1B},
    {"Pause", 0x13},
    {"Plus", 0xBB},
    {"Minus", 0xBD},
    {"Comma", 0xBC},
    {"Period", 0xBE},
    // The key left of 1 on US and UK keyboards, which drop-down terminals are summoned by.
    {"`", 0xC0},
    {"Backquote", 0xC0},
};

constexpr std::uint32_t kF1 = 0x70;
constexpr std::uint32_t kF24 = 0x87;
constexpr std::uint32_t kNumpad0 = 0x60;
constexpr std::uint32_t kPause = 0x13;

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

std::optional<std::uint32_t> Lookup(std::span<const Name> names, std::string_view text) {
    for (const Name& name : names) {
        if (SameText(name.text, text)) {
            return name.code;
        }
    }
    return std::nullopt;
}

// A number from 1 to `last` after the prefix: "F12", "Num7" (0 allowed there).
std::optional<std::uint32_t> Numbered(std::string_view text,
                                      std::string_view prefix,
                                      std::uint32_t first,
                                      std::uint32_t last) {
    if (text.size() <= prefix.size() || !SameText(text.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    std::uint32_t n = 0;
    for (const char c : text.substr(prefix.size())) {
        if (c < '0' || c > '9' || n > 100) {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (n < first || n > last) {
        return std::nullopt;
    }
    return n;
}

std::optional<std::uint32_t> KeyCode(std::string_view text) {
    if (text.size() == 1 && std::isalnum(static_cast<unsigned char>(text[0]))) {
        return static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(text[0])));
    }
    if (auto f = Numbered(text, "F", 1, 24)) {
        return kF1 + *f - 1;
    }
    if (auto num = Numbered(text, "Num", 0, 9)) {
        return kNumpad0 + *num;
    }
    return Lookup(kKeys, text);
}

std::string KeyName(std::uint32_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        return std::string(1, static_cast<char>(key));
    }
    if (key >= kF1 && key <= kF24) {
        return std::string("F") + std::to_string(key - kF1 + 1);
    }
    if (key >= kNumpad0 && key <= kNumpad0 + 9) {
        return std::string("Num") + std::to_string(key - kNumpad0);
    }
    for (const Name& name : kKeys) {
        if (name.code == key) {
            return std::string(name.text);
        }
    }
    return std::string("VK") + std::to_string(key);
}

HotkeyParse Bad(std::string error) {
    return {std::nullopt, std::move(error)};
}

}  // namespace

HotkeySet DefaultHotkeys() {
    // Ctrl+Alt+Shift with the arrows: Windows takes Win+arrows (snap), Win+Shift+arrows
    // (move between monitors), Ctrl+Win+Left/Right (virtual desktops), and graphics
    // drivers often take Ctrl+Alt+arrows (screen rotation). Home brings every window home.
    constexpr std::uint32_t kMods = kModControl | kModAlt | kModShift;
    return {Hotkey{kMods, 0x25}, Hotkey{kMods, 0x26}, Hotkey{kMods, 0x28}, Hotkey{kMods, 0x27},
            Hotkey{kMods, 0x24}};
}

std::string_view ActionName(HotkeyAction action) {
    constexpr std::string_view kNames[] = {"left", "top", "bottom", "right", "release_all"};
    return kNames[static_cast<std::size_t>(action)];
}

std::string ActionWords(HotkeyAction action, Language language) {
    constexpr TrayText kEdges[] = {TrayText::EdgeLeft, TrayText::EdgeTop, TrayText::EdgeBottom,
                                   TrayText::EdgeRight};
    if (action == HotkeyAction::ReleaseAll) {
        return Say(TrayText::HotkeyReleaseAll, language);
    }
    const std::string edge = Say(kEdges[static_cast<std::size_t>(action)], language);
    return Say(TrayText::HotkeyTuckAt, language, {edge});
}

Edge ActionEdge(HotkeyAction action) {
    constexpr Edge kEdges[] = {edLeft, edTop, edBottom, edRight, edNone};
    return kEdges[static_cast<std::size_t>(action)];
}

HotkeyParse ParseHotkey(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto plus = text.find('+', start);
        parts.push_back(Trim(text.substr(start, plus - start)));
        if (plus == std::string_view::npos) {
            break;
        }
        start = plus + 1;
    }
    Hotkey hotkey;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto modifier = Lookup(kModifiers, parts[i]);
        if (!modifier) {
            return Bad(parts[i].empty()
                           ? std::string("empty part in hotkey '") + std::string(text) + "'"
                           : std::string("unknown modifier '") + std::string(parts[i]) +
                                 "' (use Ctrl, Alt, Shift, Win)");
        }
        if (hotkey.modifiers & *modifier) {
            return Bad(std::string("modifier '") + std::string(parts[i]) + "' given twice");
        }
        hotkey.modifiers |= *modifier;
    }
    const std::string_view last = parts.back();
    const auto key = KeyCode(last);
    if (!key) {
        return Bad(last.empty() ? std::string("no key in hotkey '") + std::string(text) + "'"
                                : std::string("unknown key '") + std::string(last) + "'");
    }
    hotkey.key = *key;
    // A letter or an arrow alone, or with Shift only, would be taken from every program.
    const bool functionKey = (*key >= kF1 && *key <= kF24) || *key == kPause;
    if ((hotkey.modifiers & ~kModShift) == 0 && !functionKey) {
        return Bad(std::string("hotkey '") + std::string(text) + "' needs Ctrl, Alt or Win");
    }
    return {hotkey, {}};
}

std::string FormatHotkey(const Hotkey& hotkey) {
    constexpr Name kOrder[] = {
        {"Ctrl", kModControl}, {"Alt", kModAlt}, {"Shift", kModShift}, {"Win", kModWin}};
    std::string text;
    for (const Name& modifier : kOrder) {
        if (hotkey.modifiers & modifier.code) {
            text.append(modifier.text).append("+");
        }
    }
    return text + KeyName(hotkey.key);
}

}  // namespace popyo::tray
