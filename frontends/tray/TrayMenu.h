// The tray's menu and tooltip as plain values: what the Windows side shows, built and
// tested without a window manager. The command numbers are those of WM_COMMAND.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontends/tray/Holdings.h"
#include "frontends/tray/Hotkeys.h"
#include "platform/Language.h"

namespace popyo::tray {

enum TrayCommand : std::uint32_t {
    kCmdTuckLeft = 101,  // kCmdTuckLeft + edge - 1 for each edge
    kCmdTuckTop = 102,
    kCmdTuckBottom = 103,
    kCmdTuckRight = 104,
    kCmdReleaseAll = 110,
    kCmdSettings = 111,
    kCmdEditRules = 112,
    kCmdStartWithWindows = 113,
    kCmdExit = 114,
    // Per held window i: Pop is kCmdFirstWindow + 2i, Release the number after it.
    kCmdFirstWindow = 1000,
};

struct MenuItem {
    std::uint32_t id = 0;  // 0 for a separator or a submenu
    std::string text;      // UTF-8, with & doubled; a tab before the hotkey
    bool enabled = true;
    bool checked = false;
    std::vector<MenuItem> children;
    bool Separator() const { return text.empty(); }
};

struct MenuState {
    bool canTuck = false;  // a window was active before the menu opened
    bool startWithWindows = false;
    HotkeySet hotkeys;
    // Per held window, in the order of the list, the key of the rule that summons it.
    std::vector<std::optional<Hotkey>> heldKeys;
    Language language = Language::English;
};

std::vector<MenuItem> BuildTrayMenu(const std::vector<Held>& held, const MenuState& state);

// A held window's command, decoded.
struct WindowCommand {
    std::size_t index = 0;
    bool release = false;  // else Pop
};
std::optional<WindowCommand> DecodeWindowCommand(std::uint32_t id, std::size_t heldCount);

// "PopyonnEngine: 3 windows tucked away"
std::string TooltipText(std::size_t held, Language language);

// A title as a menu shows it: & doubled, cut after `maxChars` characters with "…".
std::string MenuTitle(std::string_view title, std::size_t maxChars = 60);

}  // namespace popyo::tray
