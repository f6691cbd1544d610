#include "frontends/tray/HotkeyRegistrar_win.h"

namespace popyo::tray {

std::vector<HotkeyAction> HotkeyRegistrar::Apply(const HotkeySet& hotkeys) {
    UnregisterActions();
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

std::vector<std::size_t> HotkeyRegistrar::ApplySummons(const std::vector<Summon>& summons) {
    UnregisterSummons();
    std::vector<std::size_t> refused;
    summonIds_.assign(summons.size(), false);
    for (std::size_t i = 0; i < summons.size(); ++i) {
        const Hotkey& key = summons[i].hotkey;
        if (::RegisterHotKey(owner_, kFirstSummonId + static_cast<int>(i),
                             key.modifiers | MOD_NOREPEAT, key.key)) {
            summonIds_[i] = true;
        } else {
            refused.push_back(i);
        }
    }
    return refused;
}

void HotkeyRegistrar::UnregisterSummons() {
    for (std::size_t i = 0; i < summonIds_.size(); ++i) {
        if (summonIds_[i]) {
            ::UnregisterHotKey(owner_, kFirstSummonId + static_cast<int>(i));
        }
    }
    summonIds_.clear();
}

bool HotkeyRegistrar::SummonOf(WPARAM id, std::size_t& index) {
    if (id < kFirstSummonId) {
        return false;
    }
    index = id - kFirstSummonId;
    return true;
}

void HotkeyRegistrar::UnregisterAll() {
    UnregisterActions();
    UnregisterSummons();
}

void HotkeyRegistrar::UnregisterActions() {
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
