#include "frontends/tray/TrayMenu.h"

#include "frontends/tray/TrayTexts.h"

namespace popyo::tray {
namespace {

// Texts start as std::string rather than a literal: GCC 12 warns falsely (-Wrestrict) on a
// literal followed by a temporary string.

constexpr TrayText kEdgeWords[] = {TrayText::EdgeLeft, TrayText::EdgeTop, TrayText::EdgeBottom,
                                   TrayText::EdgeRight};
constexpr TrayText kTuckWords[] = {TrayText::TuckLeft, TrayText::TuckTop, TrayText::TuckBottom,
                                   TrayText::TuckRight};

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

MenuItem WindowEntry(const Held& held,
                     std::size_t index,
                     const std::optional<Hotkey>& key,
                     Language language) {
    const auto id = static_cast<std::uint32_t>(kCmdFirstWindow + 2 * index);
    std::string edge = IsEdge(held.edge) ? Say(kEdgeWords[held.edge - 1], language) : "";
    // The key beside the edge, in the column Windows keeps for shortcuts.
    if (key) {
        edge += "  " + FormatHotkey(*key);
    }
    std::string label =
        MenuTitle(held.title.empty() ? Say(TrayText::Untitled, language) : held.title);
    MenuItem entry{0, label + "\t" + edge, true, false, {}};
    entry.children = {Command(id, Say(TrayText::Pop, language)),
                      Command(id + 1, Say(TrayText::Release, language))};
    return entry;
}

}  // namespace

std::vector<MenuItem> BuildTrayMenu(const std::vector<Held>& held, const MenuState& state) {
    std::vector<MenuItem> menu;
    const Language language = state.language;
    for (std::size_t i = 0; i < held.size(); ++i) {
        const std::optional<Hotkey> key =
            i < state.heldKeys.size() ? state.heldKeys[i] : std::nullopt;
        menu.push_back(WindowEntry(held[i], i, key, language));
    }
    if (held.empty()) {
        menu.push_back(Command(0, Say(TrayText::NoWindowTucked, language), false));
    }
    menu.push_back(Separator());

    MenuItem tuck{0, Say(TrayText::TuckActive, language), state.canTuck, false, {}};
    for (std::uint32_t edge = edLeft; edge <= edRight; ++edge) {
        const auto& hotkey = state.hotkeys[edge - 1];
        tuck.children.push_back(Command(kCmdTuckLeft + edge - 1,
                                        WithHotkey(Say(kTuckWords[edge - 1], language), hotkey)));
    }
    menu.push_back(std::move(tuck));
    const auto& releaseKey = state.hotkeys[static_cast<std::size_t>(HotkeyAction::ReleaseAll)];
    menu.push_back(Command(kCmdReleaseAll,
                           WithHotkey(Say(TrayText::ReleaseAll, language), releaseKey),
                           !held.empty()));
    menu.push_back(Separator());
    menu.push_back(Command(kCmdSettings, Say(TrayText::Settings, language)));
    menu.push_back(Command(kCmdEditRules, Say(TrayText::EditRules, language)));
    MenuItem startup = Command(kCmdStartWithWindows, Say(TrayText::StartWithWindows, language));
    startup.checked = state.startWithWindows;
    menu.push_back(std::move(startup));
    menu.push_back(Separator());
    menu.push_back(Command(kCmdExit, Say(TrayText::Exit, language)));
    return menu;
}

std::optional<WindowCommand> DecodeWindowCommand(std::uint32_t id, std::size_t heldCount) {
    if (id < kCmdFirstWindow || (id - kCmdFirstWindow) / 2 >= heldCount) {
        return std::nullopt;
    }
    return WindowCommand{(id - kCmdFirstWindow) / 2, (id - kCmdFirstWindow) % 2 == 1};
}

std::string TooltipText(std::size_t held, Language language) {
    if (held <= 1) {
        return Say(held == 0 ? TrayText::TooltipNone : TrayText::TooltipOne, language);
    }
    return Say(TrayText::TooltipMany, language, {std::to_string(held)});
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
