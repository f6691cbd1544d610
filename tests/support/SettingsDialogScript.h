// What the user does in the settings dialog on the simulated desktop. The desktop runs any
// modal form; the settings dialog is the one the engine has, so the script gets it as such.
#pragma once

#include <functional>
#include <utility>

#include "platform/SimDesktop.h"
#include "settings/frmPopyonnEngineSetting.h"

namespace popyo::test {

class SettingsDialogScript {
  public:
    explicit SettingsDialogScript(SimDesktop& sim) : sim_(sim) {}
    SettingsDialogScript(const SettingsDialogScript&) = delete;
    SettingsDialogScript& operator=(const SettingsDialogScript&) = delete;

    // An empty script closes the dialog at once.
    SettingsDialogScript& operator=(std::function<void(TForm2&)> script) {
        if (!script) {
            sim_.modalScript = nullptr;
        } else {
            sim_.modalScript = [script = std::move(script)](TModalForm& form) {
                script(dynamic_cast<TForm2&>(form));
            };
        }
        return *this;
    }

  private:
    SimDesktop& sim_;
};

}  // namespace popyo::test
