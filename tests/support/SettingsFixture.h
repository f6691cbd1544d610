// A simulated desktop with an engine on it, and the settings file the engine reads and
// writes there, for the tests of start-up, the settings file and the settings dialog.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/frmPopyonnEngine.h"
#include "platform/SimDesktop.h"
#include "tests/support/SettingsDialogScript.h"

namespace popyo::test {

// SimDesktop's executable lies in "C:\Program Files\Popyonn" and its user is "tester".
inline const std::string kSettingsPath = "C:\\Program Files\\Popyonn\\PopyoE_tester.dat";

// What the first start writes, with the 115-pixel engine window.
inline constexpr char kDefaultSettingsText[] =
    "wx=195\r\n"
    "mv=150\r\n"
    "mgn=1\r\n"
    "mgn2=15\r\n"
    "actwin=True\r\n"
    "hiact=True\r\n"
    "outwin=True\r\n"
    "DisableKey=17\r\n"
    "AutoRestore=True\r\n"
    "MouseDownDisable=True\r\n"
    "OnTime=10\r\n"
    "OffTime=10\r\n"
    "OutCheck=True\r\n"
    "SwitchOnTime=True\r\n"
    "AutoActivate=True\r\n"
    "ChangePopyonStyle=False\r\n";

class SettingsFixture : public ::testing::Test {
  protected:
    // Starts the engine the way the framework does: errors of FormCreate end up in the
    // error box. With no text there is no settings file.
    void Start(std::optional<std::string> fileText = std::nullopt) {
        if (fileText) {
            sim.files[kSettingsPath] = *fileText;
        }
        RunAtEventBoundary(sim, [&] { engine.FormCreate(); });
    }

    std::string File() const {
        const auto it = sim.files.find(kSettingsPath);
        return it == sim.files.end() ? std::string("<no file>") : it->second;
    }

    SimDesktop sim;
    TformPopyonnEngine engine{sim};
    SettingsDialogScript settingsDialogScript{sim};
};

}  // namespace popyo::test
