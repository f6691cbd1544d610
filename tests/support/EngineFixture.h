// An engine started on a simulated 1920 x 1080 desktop the way the program starts it, with
// one unregistered window of another program in the foreground, for the tests of the
// registries, the tick and the control messages.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>

#include "engine/frmPopyonnEngine.h"
#include "platform/SimDesktop.h"
#include "tests/support/SettingsDialogScript.h"

namespace popyo::test {

// A place on the desktop that no window of these tests covers and that is no edge.
inline constexpr TPoint kNowhere{1500, 900};

struct EngineRig {
    // With shell windows, DesktopWnd and TrayWnd are Progman and Shell_TrayWnd; without,
    // DesktopWnd is the desktop window and there is no taskbar.
    explicit EngineRig(bool withShell = false) {
        if (withShell) {
            sim.AddShellWindows();
        }
        other = sim.AddWindow({600, 300, 900, 500}, "Other", "", 3);
        sim.foreground = other;
        sim.cursor = kNowhere;
        engine.FormCreate();
        sim.ClearCalls();
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            engine.Timer1Timer();
        }
    }

    Tregwin& Slot(Hwnd wnd) {
        const int i = engine.IndexOfWindow(wnd);
        EXPECT_GE(i, 0) << "window " << wnd << " is not registered";
        return *engine.RegWins.at(static_cast<std::size_t>(i));
    }

    // A window of another program, registered at the edge where it stands, shown.
    Hwnd AddRegistered(TRect rect, Edge edge) {
        const Hwnd wnd = sim.AddWindow(rect, "Client", "", 4);
        engine.RegisterWindow(wnd, edge);
        return wnd;
    }

    // A registered window already tucked away at rect, beyond its edge, which it hid in
    // after losing the foreground.
    Hwnd AddHidden(TRect rect, Edge edge) {
        const Hwnd wnd = AddRegistered(rect, edge);
        Slot(wnd).Status = rsHidden;
        Slot(wnd).WasActive = false;
        return wnd;
    }

    SimDesktop sim;
    TformPopyonnEngine engine{sim};
    SettingsDialogScript settingsDialogScript{sim};
    Hwnd other = 0;
};

class EngineTest : public ::testing::Test, public EngineRig {};

}  // namespace popyo::test
