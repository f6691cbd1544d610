#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/frmPopyonnEngineSetting.h"
#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

constexpr TRect kHome{100, 100, 500, 400};
constexpr TRect kTuckedLeft{-400, 100, 0, 400};

class ControlMessagesTest : public EngineTest {
  protected:
    std::optional<std::int32_t> Send(std::uint32_t msg,
                                     std::uint32_t wParam = 0,
                                     std::uint32_t lParam = 0) {
        return engine.Dispatch(msg, wParam, lParam);
    }
};

// Every handler answers; queries about a window that is not registered answer "none".
TEST_F(ControlMessagesTest, AnswersForUnknownHandles) {
    const Hwnd q = sim.AddWindow(kHome);
    struct Case {
        std::uint32_t msg;
        std::uint32_t lParam;
        std::optional<std::int32_t> answer;
    };
    const Case kCases[] = {
        {EM_SETTINGS, 0, 0},  {EM_REGISTER, 0, 0}, {EM_SETOWNER, 0, 0}, {EM_SETHOME, 1, 0},
        {EM_POP, 9, 0},       {EM_HIDE, 0, 0},     {EM_PIN, 0, 0},      {EM_UNPIN, 0, 0},
        {EM_GETSTATUS, 0, 0}, {EM_GETEDGE, 0, 0},  {EM_CLASSIFY, 0, 0}, {EM_GETPINNED, 0, 0},
        {EM_GETHOME, 0, -1},  {EM_DETACH, 0, 0},   {0x8001, 0, {}},     {0x7FFF, 0, {}},
        {0x8042, 0, {}},      {0x8102, 0, {}},     {0x8205, 0, {}},     {0, 0, {}},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(Send(c.msg, q, c.lParam), c.answer) << std::hex << "message 0x" << c.msg;
    }
    EXPECT_TRUE(engine.RegWins.empty());
    EXPECT_FALSE(sim.terminated);
}

// With a taskbar found, handle 0 is no shell window: only the message's own test keeps it
// from being looked up.
TEST(ControlRegister, RegisterWithoutWindowIsIgnored) {
    EngineRig rig(true);
    for (const std::uint32_t lParam : {0u, 1u, 0x0203u, 0xFFu}) {
        EXPECT_EQ(rig.engine.Dispatch(EM_REGISTER, 0, lParam), 0);
    }
    EXPECT_TRUE(rig.engine.RegWins.empty());
    EXPECT_EQ(rig.sim.TotalCalls(), 0u);
}

// Only the low byte of LParam names the edge; 0 releases, and a byte that names no side
// registers nothing.
TEST(ControlRegister, LowByteNamesTheEdge) {
    struct Case {
        std::uint32_t lParam;
        std::uint8_t edge;  // 0: not registered
    };
    constexpr Case kCases[] = {{0x0203, edBottom}, {0x0001, edLeft}, {0xFFFFFF04, edRight},
                               {0x0102, edTop},    {0x0005, 0},      {0x00FF, 0},
                               {0x0100, 0}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.lParam);
        EngineRig rig;
        const Hwnd w = rig.sim.AddWindow(kHome);
        rig.engine.Dispatch(EM_REGISTER, w, c.lParam);
        EXPECT_EQ(rig.engine.Dispatch(EM_GETEDGE, w, 0), c.edge);
        EXPECT_EQ(rig.engine.Dispatch(EM_GETSTATUS, w, 0), c.edge != 0 ? rsShown : 0);
    }
}

TEST_F(ControlMessagesTest, RegisterWithZeroLowByteReleases) {
    const Hwnd w = sim.AddWindow(kHome);
    Send(EM_REGISTER, w, 0x0203);
    Slot(w).Status = rsHidden;
    sim.MoveTo(w, 100, 1080);
    Send(EM_REGISTER, w, 0x0100);
    EXPECT_EQ(engine.IndexOfWindow(w), -1);
    EXPECT_EQ(engine.RegWins[0]->Edge, edNone);
    EXPECT_EQ(sim.RectOf(w), kHome);
}

TEST_F(ControlMessagesTest, AttachTwiceLeavesOneEntry) {
    EXPECT_EQ(Send(EM_ATTACH, other, 1), 1);
    EXPECT_EQ(Send(EM_ATTACH, other, 1), 1);
    EXPECT_EQ(Send(EM_ATTACH, 0x5000, 1), 1);  // a main front-end exists: not added
    EXPECT_EQ(engine.FrontEnds, (TFrontEndarray{other}));
    EXPECT_EQ(Send(EM_CLASSIFY, other, other), wcFrontEnd);
}

TEST_F(ControlMessagesTest, SecondPopReplacesTheFirst) {
    const Hwnd bottom = AddHidden({100, 1080, 500, 1280}, edBottom);
    const Hwnd left = AddHidden(kTuckedLeft, edLeft);
    Send(EM_POP, 0, edBottom);
    Send(EM_POP, 0, edLeft);
    EXPECT_EQ(Slot(left).Status, rsHidden) << "nothing moves before the next tick";
    Tick();
    EXPECT_EQ(Slot(left).Status, rsShowing);
    EXPECT_EQ(Slot(bottom).Status, rsHidden);
    EXPECT_EQ(engine.PendingEdge, 0);
}

// A pop of edge 0 starts every window hiding at once that is neither hidden nor minimized,
// pinned ones included (the tick then leaves those where they are).
TEST_F(ControlMessagesTest, PopZeroHidesAllAtOnce) {
    struct Case {
        Status before;
        bool pinned;
        Status after;
    };
    constexpr Case kCases[] = {{rsShown, false, rsHiding},        {rsLeaving, false, rsHiding},
                               {rsShowing, false, rsHiding},      {rsHidden, false, rsHidden},
                               {rsMinimized, false, rsMinimized}, {rsShown, true, rsHiding}};
    std::vector<Hwnd> wnds;
    int i = 0;
    for (const Case& c : kCases) {
        const Hwnd w = AddRegistered({100 + 10 * i, 100, 400, 400}, edLeft);
        Slot(w).Status = c.before;
        Slot(w).Pinned = c.pinned;
        Slot(w).ToHome = 1;
        wnds.push_back(w);
        ++i;
    }
    EXPECT_EQ(Send(EM_POP, 0, 0x1200), 0);
    for (std::size_t k = 0; k < wnds.size(); ++k) {
        EXPECT_EQ(Slot(wnds[k]).Status, kCases[k].after) << "slot " << k;
        const bool started = kCases[k].after == rsHiding;
        EXPECT_EQ(Slot(wnds[k]).ToHome, started ? 0 : 1) << "slot " << k;
    }
    EXPECT_EQ(engine.PendingEdge, 0);
    const std::int32_t pinnedLeft = sim.LeftOf(wnds.back());
    Tick();
    EXPECT_EQ(sim.LeftOf(wnds.back()), pinnedLeft);
    EXPECT_LT(sim.LeftOf(wnds.front()), 100);
}

// Bytes beyond the four sides are ignored, and leave an earlier request standing.
TEST_F(ControlMessagesTest, PopOfNoSideIsIgnored) {
    Send(EM_POP, 0, edTop);
    for (const std::uint32_t lParam : {5u, 8u, 9u, 0x80u, 255u}) {
        EXPECT_EQ(Send(EM_POP, 0, lParam), 0);
        EXPECT_EQ(engine.PendingEdge, edTop) << lParam;
    }
    Send(EM_POP, 0, 0x0301);
    EXPECT_EQ(engine.PendingEdge, edLeft);
}

TEST_F(ControlMessagesTest, SetOwnerNeedsAttachedFrontEndAndRegisteredWindow) {
    const Hwnd fe = sim.AddWindow({0, 0, 50, 50});
    const Hwnd fe2 = sim.AddWindow({50, 0, 100, 50});
    const Hwnd stranger = sim.AddWindow({0, 50, 50, 100});
    Send(EM_ATTACH, fe, 1);
    Send(EM_ATTACH, fe2, 0);
    const Hwnd w = AddRegistered(kHome, edLeft);

    Send(EM_SETOWNER, w, stranger);  // not attached
    EXPECT_EQ(Slot(w).Owner, 0u);
    Send(EM_SETOWNER, other, fe);  // not registered
    EXPECT_EQ(Slot(w).Owner, 0u);
    EXPECT_EQ(engine.IndexOfWindow(other), -1);
    Send(EM_SETOWNER, w, fe);
    EXPECT_EQ(Slot(w).Owner, fe);
    EXPECT_EQ(Send(EM_CLASSIFY, w, fe), wcOwnedWindow);
    Send(EM_SETOWNER, w, fe2);
    EXPECT_EQ(Send(EM_CLASSIFY, w, fe), wcOtherOwnersWindow);
    // Re-registration keeps the owner.
    Send(EM_REGISTER, w, edTop);
    EXPECT_EQ(Slot(w).Owner, fe2);
}

TEST_F(ControlMessagesTest, SetHomeAndGetHome) {
    const Hwnd stranger = sim.AddWindow(kHome);
    Send(EM_SETHOME, stranger, 1);
    EXPECT_EQ(Send(EM_GETHOME, stranger), -1);
    EXPECT_EQ(sim.TotalCalls(), 0u);

    const Hwnd w = AddRegistered(kHome, edLeft);
    EXPECT_EQ(Send(EM_GETHOME, w), 0);
    struct Case {
        std::uint32_t lParam;
        std::int32_t answer;
    };
    constexpr Case kCases[] = {{1, 1}, {0x0200, 0}, {0xAB12, 0x12}, {0xFF, 255}};
    for (const Case& c : kCases) {
        Send(EM_SETHOME, w, c.lParam);
        EXPECT_EQ(Send(EM_GETHOME, w), c.answer) << std::hex << c.lParam;
    }
    // A hide the engine starts sets ToHome afresh.
    Send(EM_POP, 0, 0);
    EXPECT_EQ(Send(EM_GETHOME, w), 0);
}

// The hide message starts a hide in any state and keeps the window's home as it is.
TEST_F(ControlMessagesTest, HideOnHiddenWindowReportsHiddenAfterTheNextTick) {
    const Hwnd w = AddHidden(kTuckedLeft, edLeft);
    Slot(w).ToHome = 1;
    Slot(w).HomeX = 77;
    EXPECT_EQ(Send(EM_HIDE, w), 0);
    EXPECT_EQ(Send(EM_GETSTATUS, w), rsHiding);
    EXPECT_EQ(Slot(w).ToHome, 1);
    EXPECT_EQ(Slot(w).HomeX, 77);
    Tick();
    EXPECT_EQ(Send(EM_GETSTATUS, w), rsHidden);
    EXPECT_EQ(sim.RectOf(w), kTuckedLeft);
}

TEST_F(ControlMessagesTest, HideOfPinnedWindowDoesNotMoveIt) {
    const Hwnd w = AddRegistered(kHome, edLeft);
    Send(EM_PIN, w);
    Send(EM_HIDE, w);
    Tick(3);
    EXPECT_EQ(Send(EM_GETSTATUS, w), rsHiding);
    EXPECT_EQ(sim.RectOf(w), kHome);
    Send(EM_UNPIN, w);
    EXPECT_EQ(Send(EM_GETSTATUS, w), rsShown);
}

TEST_F(ControlMessagesTest, GetPinned) {
    const Hwnd w = AddRegistered(kHome, edLeft);
    const Hwnd stranger = sim.AddWindow({600, 600, 700, 700});
    EXPECT_EQ(Send(EM_GETPINNED, w), 0);
    Send(EM_PIN, w);
    EXPECT_EQ(Send(EM_GETPINNED, w), 1);
    Send(EM_UNPIN, w);
    EXPECT_EQ(Send(EM_GETPINNED, w), 0);
    Send(EM_PIN, stranger);
    EXPECT_TRUE(sim.Window(stranger).topmost);
    EXPECT_EQ(Send(EM_GETPINNED, stranger), 0);
}

TEST_F(ControlMessagesTest, QueriesAnswerTheRegistrysValues) {
    const Hwnd fe = sim.AddWindow({0, 0, 50, 50});
    Send(EM_ATTACH, fe, 0);
    const Hwnd w = AddRegistered(kHome, edRight);
    Send(EM_SETOWNER, w, fe);
    Send(EM_REGISTER, fe, edTop);
    EXPECT_EQ(Send(EM_GETSTATUS, w), rsShown);
    EXPECT_EQ(Send(EM_GETEDGE, w), edRight);
    EXPECT_EQ(Send(EM_CLASSIFY, w, fe), wcOwnedWindow);
    EXPECT_EQ(Send(EM_CLASSIFY, fe, fe), wcOtherFrontEndWindow);
    EXPECT_EQ(Send(EM_CLASSIFY, fe, 0), wcFrontEndWindow);
}

TEST_F(ControlMessagesTest, DetachOfUnknownHandleKeepsEngineRunning) {
    Send(EM_ATTACH, other, 1);
    const Hwnd w = AddHidden(kHome, edLeft);
    sim.MoveTo(w, -400, 100);
    EXPECT_EQ(Send(EM_DETACH, 0x4242), 0);
    EXPECT_FALSE(sim.terminated);
    EXPECT_EQ(Send(EM_GETSTATUS, w), rsHidden);

    // A sent detach of an attached front-end returns with every window put back.
    EXPECT_EQ(Send(EM_DETACH, other), 0);
    EXPECT_TRUE(sim.terminated);
    EXPECT_EQ(sim.RectOf(w), kHome);
    EXPECT_EQ(Send(EM_GETSTATUS, w), 0);
}

// The dialog runs once at a time with the tick stopped; control messages keep working
// meanwhile, and pops wait for the tick.
TEST_F(ControlMessagesTest, SettingsOpensTheDialogOnceWithTheTimerOff) {
    const Hwnd w = sim.AddWindow(kHome);
    bool timerDuringRun = true;
    std::optional<std::int32_t> nestedAnswer;
    settingsDialogScript = [&](TForm2& dialog) {
        timerDuringRun = sim.timerEnabled || engine.Timer1.Enabled();
        nestedAnswer = Send(EM_SETTINGS);
        Send(EM_REGISTER, w, edLeft);
        Send(EM_POP, 0, edLeft);
        dialog.cmdCancelClick();
    };
    EXPECT_EQ(Send(EM_SETTINGS), 0);
    EXPECT_EQ(sim.modalRuns, 1);
    EXPECT_FALSE(timerDuringRun);
    EXPECT_EQ(nestedAnswer, 0);
    EXPECT_TRUE(sim.timerEnabled);
    EXPECT_TRUE(engine.Timer1.Enabled());
    EXPECT_EQ(Send(EM_GETEDGE, w), edLeft);
    EXPECT_EQ(engine.PendingEdge, edLeft);

    // Once closed it opens again.
    settingsDialogScript = nullptr;
    Send(EM_SETTINGS);
    EXPECT_EQ(sim.modalRuns, 2);
    EXPECT_TRUE(sim.timerEnabled);
}

// A detach while the dialog is open ends the engine: the timer stays off after the run.
TEST_F(ControlMessagesTest, DetachDuringSettingsLeavesTimerOff) {
    Send(EM_ATTACH, other, 1);
    settingsDialogScript = [&](TForm2&) { Send(EM_DETACH, other); };
    Send(EM_SETTINGS);
    EXPECT_TRUE(sim.terminated);
    EXPECT_FALSE(sim.timerEnabled);
}

}  // namespace
}  // namespace popyo::test
