// The tray's hotkeys as registered with the system. A key another program holds already is
// skipped and reported; the other keys work.
#pragma once

#include <windows.h>

#include <vector>

#include "frontends/tray/Hotkeys.h"

namespace popyo::tray {

class HotkeyRegistrar {
  public:
    explicit HotkeyRegistrar(HWND owner) : owner_(owner) {}
    ~HotkeyRegistrar() { UnregisterAll(); }
    HotkeyRegistrar(const HotkeyRegistrar&) = delete;
    HotkeyRegistrar& operator=(const HotkeyRegistrar&) = delete;

    // Replaces the registered keys; answers the actions whose key was refused.
    std::vector<HotkeyAction> Apply(const HotkeySet& hotkeys);
    void UnregisterAll();

    // WM_HOTKEY's wParam for an action, and back.
    static int IdOf(HotkeyAction action) { return static_cast<int>(action) + 1; }
    static bool ActionOf(WPARAM id, HotkeyAction& action);

  private:
    HWND owner_;
    HotkeySet registered_;
};

}  // namespace popyo::tray
