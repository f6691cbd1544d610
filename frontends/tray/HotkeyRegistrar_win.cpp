#include "frontends/tray/HotkeyRegistrar_win.h"

namespace popyo::tray {

std::vector<HotkeyAction> HotkeyRegistrar::Apply(const HotkeySet& hotkeys) {
    UnregisterAll();
    std::vector<HotkeyAction> refused;
    for (std::size_t i = 0; i < hotkeys.size(); ++i) {
        if (!hotkeys[i]) {
            continue;
        }
        const auto action = static_cast<HotkeyAction>(i);
        // Held down, a key would repeat: one press is one toggle.
        if (::RegisterHotKey(owner_, IdOf(action), hotkeys[i]->modifiers | MOD_NOREPEAT,
                             hotkeys[i]->key)) {
            registered_[i] = hotkeys[i];
        } else {
            refused.push_back(action);
        }
    }
    return refused;
}

void HotkeyRegistrar::UnregisterAll() {
    for (std::size_t i = 0; i < registered_.size(); ++i) {
        if (registered_[i]) {
            ::UnregisterHotKey(owner_, IdOf(static_cast<HotkeyAction>(i)));
            registered_[i].reset();
        }
    }
}

bool HotkeyRegistrar::ActionOf(WPARAM id, HotkeyAction& action) {
    if (id < 1 || id > kHotkeyActionCount) {
        return false;
    }
    action = static_cast<HotkeyAction>(id - 1);
    return true;
}

}  // namespace popyo::tray
