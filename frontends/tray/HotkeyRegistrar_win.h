// The tray's hotkeys as registered with the system. A key another program holds already is
// skipped and reported; the other keys work.
#pragma once

#include <windows.h>

#include <vector>

#include "frontends/tray/Hotkeys.h"
#include "frontends/tray/Summon.h"

namespace popyo::tray {

class HotkeyRegistrar {
  public:
    explicit HotkeyRegistrar(HWND owner) : owner_(owner) {}
    ~HotkeyRegistrar() { UnregisterAll(); }
    HotkeyRegistrar(const HotkeyRegistrar&) = delete;
    HotkeyRegistrar& operator=(const HotkeyRegistrar&) = delete;

    // Replaces the registered keys; answers the actions whose key was refused.
    std::vector<HotkeyAction> Apply(const HotkeySet& hotkeys);
    // The same for the rules' own keys; answers the indices of those refused.
    std::vector<std::size_t> ApplySummons(const std::vector<Summon>& summons);
    void UnregisterAll();

    // WM_HOTKEY's wParam for an action or a rule's key, and back.
    static int IdOf(HotkeyAction action) { return static_cast<int>(action) + 1; }
    static bool ActionOf(WPARAM id, HotkeyAction& action);
    static bool SummonOf(WPARAM id, std::size_t& index);

  private:
    static constexpr int kFirstSummonId = 0x100;
    void UnregisterActions();
    void UnregisterSummons();

    HWND owner_;
    HotkeySet registered_;
    std::vector<bool> summonIds_;
};

}  // namespace popyo::tray
