#include "frontends/tray/TrayMenu.h"

namespace popyo::tray {
namespace {

// Texts start as std::string rather than a literal: GCC 12 warns falsely (-Wrestrict) on a
// literal followed by a temporary string.

constexpr const char* kEdgeWords[] = {"", "left", "top", "bottom", "right"};
constexpr const char* kTuckWords[] = {"", "&Left", "&Top", "&Bottom", "&Right"};

MenuItem Separator() {
    return {};
}

MenuItem Command(std::uint32_t id, std::string text, bool enabled = true) {
    return {id, std::move(text), enabled, false, {}};
}

// The hotkey after a tab, as Windows menus align shortcuts.
std::string WithHotkey(std::string text, const std::optional<Hotkey>& hotkey) {
    return hotkey ? text + "\t" + FormatHotkey(*hotkey) : text;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

MenuItem WindowEntry(const Held& held, std::size_t index) {
    const auto id = static_cast<std::uint32_t>(kCmdFirstWindow + 2 * index);
    const char* edge = held.edge <= edRight ? kEdgeWords[held.edge] : "";
    std::string label = MenuTitle(held.title.empty() ? "(untitled)" : held.title);
    MenuItem entry{0, label + "\t" + edge, true, false, {}};
    entry.children = {Command(id, "&Pop"), Command(id + 1, "&Release")};
    return entry;
}

}  // namespace

std::vector<MenuItem> BuildTrayMenu(const std::vector<Held>& held, const MenuState& state) {
    std::vector<MenuItem> menu;
    for (std::size_t i = 0; i < held.size(); ++i) {
        menu.push_back(WindowEntry(held[i], i));
    }
    if (held.empty()) {
        menu.push_back(Command(0, "No window tucked away", false));
    }
    menu.push_back(Separator());

    MenuItem tuck{0, "&Tuck the active window", state.canTuck, false, {}};
    for (std::uint32_t edge = edLeft; edge <= edRight; ++edge) {
        const auto& hotkey = state.hotkeys[edge - 1];
        tuck.children.push_back(
            Command(kCmdTuckLeft + edge - 1, WithHotkey(kTuckWords[edge], hotkey)));
    }
    menu.push_back(std::move(tuck));
    const auto& releaseKey = state.hotkeys[static_cast<std::size_t>(HotkeyAction::ReleaseAll)];
    menu.push_back(Command(kCmdReleaseAll, WithHotkey("Release &all", releaseKey), !held.empty()));
    menu.push_back(Separator());
    menu.push_back(Command(kCmdSettings, "&Settings…"));
    menu.push_back(Command(kCmdEditRules, "&Edit rules…"));
    MenuItem startup = Command(kCmdStartWithWindows, "Start with &Windows");
    startup.checked = state.startWithWindows;
    menu.push_back(std::move(startup));
    menu.push_back(Separator());
    menu.push_back(Command(kCmdExit, "E&xit"));
    return menu;
}

std::optional<WindowCommand> DecodeWindowCommand(std::uint32_t id, std::size_t heldCount) {
    if (id < kCmdFirstWindow || (id - kCmdFirstWindow) / 2 >= heldCount) {
        return std::nullopt;
    }
    return WindowCommand{(id - kCmdFirstWindow) / 2, (id - kCmdFirstWindow) % 2 == 1};
}

std::string TooltipText(std::size_t held) {
    if (held == 0) {
        return "PopyonnEngine: no windows tucked away";
    }
    return std::string("PopyonnEngine: ") + std::to_string(held) +
           (held == 1 ? " window" : " windows") + " tucked away";
}

std::string MenuTitle(std::string_view title, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < title.size(); ++i) {
        // A character is counted at its first byte, so a cut never splits one.
        if (!IsContinuationByte(title[i]) && ++chars > maxChars) {
            return out + "…";
        }
        // A tab would push the rest into the column of the edge; & would underline.
        out += title[i] == '\t' ? ' ' : title[i];
        if (title[i] == '&') {
            out += '&';
        }
    }
    return out;
}

}  // namespace popyo::tray
