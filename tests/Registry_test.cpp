#include <gtest/gtest.h>

#include <vector>

#include "support/EngineFixture.h"

namespace popyo::test {
namespace {

constexpr TRect kHome{100, 100, 500, 400};

using RegistryTest = EngineTest;

TEST_F(RegistryTest, ReRegisteringShownWindowChangesEdgeOnly) {
    const Hwnd w = AddRegistered(kHome, edLeft);
    engine.AttachFrontEnd(other, 0);
    Slot(w).Owner = other;
    Slot(w).Pinned = true;
    sim.MoveTo(w, 300, 200);
    engine.ChangePopyonStyle = true;
    sim.ClearCalls();

    engine.RegisterWindow(w, edRight);

    ASSERT_EQ(engine.RegWins.size(), 1u);
    const Tregwin& s = Slot(w);
    EXPECT_EQ(s.Edge, edRight);
    EXPECT_EQ(s.Status, rsShown);
    EXPECT_FALSE(s.Pinned);
    EXPECT_EQ(s.HomeRect, kHome);
    EXPECT_EQ(s.HomeX, 100);
    EXPECT_EQ(s.HomeY, 100);
    EXPECT_EQ(s.ToHome, 0);
    EXPECT_EQ(s.Owner, other);
    EXPECT_EQ(sim.Count(CallKind::SetWindowPos), 0u);
    EXPECT_EQ(sim.Count(CallKind::ShowWindow), 0u);
    EXPECT_EQ(sim.LeftOf(w), 300);
}

TEST_F(RegistryTest, NewRegistrationRecordsHomeAndStartsShown) {
    engine.ChangePopyonStyle = true;
    const Hwnd w = AddRegistered(kHome, edTop);
    const Tregwin& s = Slot(w);
    EXPECT_EQ(s.Status, rsShown);
    EXPECT_TRUE(s.WasActive);
    EXPECT_FALSE(s.MouseWasOut);
    EXPECT_EQ(s.ToHome, 1);
    EXPECT_EQ(s.HomeRect, kHome);
    EXPECT_EQ(s.Style, 0u);
    // Maximized at registration: only that bit is remembered.
    const Hwnd m = sim.AddWindow({10, 10, 300, 300});
    sim.Maximize(m);
    engine.RegisterWindow(m, edLeft);
    EXPECT_EQ(Slot(m).Style, kWsMaximize);
}

// A window that is not shown goes back to its first home (or is maximized again) before it
// is registered anew, in the same slot.
TEST(RegistryReRegister, HiddenWindowIsPutBackFirst) {
    struct Case {
        const char* name;
        bool wasMaximized;
    };
    constexpr Case kCases[] = {{"plain", false}, {"maximized when its hide started", true}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        const Hwnd first = rig.AddRegistered({1200, 600, 1400, 700}, edRight);
        const Hwnd w = rig.AddHidden(kHome, edLeft);
        rig.sim.MoveTo(w, -400, 100);
        if (c.wasMaximized) {
            rig.Slot(w).Style = kWsMaximize;
        }
        rig.sim.ClearCalls();

        rig.engine.RegisterWindow(w, edTop);

        ASSERT_EQ(rig.engine.RegWins.size(), 2u);
        EXPECT_EQ(rig.engine.IndexOfWindow(w), 1);
        EXPECT_EQ(rig.engine.IndexOfWindow(first), 0);
        EXPECT_EQ(rig.Slot(w).Edge, edTop);
        EXPECT_EQ(rig.Slot(w).Status, rsShown);
        const auto shows = rig.sim.CallsOf(CallKind::ShowWindow);
        ASSERT_EQ(shows.size(), 1u);
        if (c.wasMaximized) {
            EXPECT_EQ(shows[0].x, kSwShowMaximized);
            EXPECT_NE(rig.sim.Window(w).style & kWsMaximize, 0u);
            EXPECT_EQ(rig.Slot(w).Style, kWsMaximize);
        } else {
            EXPECT_EQ(shows[0].x, kSwRestore);
            EXPECT_EQ(rig.sim.RectOf(w), kHome);
        }
    }
}

TEST_F(RegistryTest, VanishedHiddenWindowReRegisteredLeavesItsSlotFreed) {
    const Hwnd w = AddHidden(kHome, edLeft);
    sim.Destroy(w);
    engine.RegisterWindow(w, edLeft);
    ASSERT_EQ(engine.RegWins.size(), 1u);
    EXPECT_EQ(engine.RegWins[0]->Wnd, 0u);
    EXPECT_EQ(engine.RegWins[0]->Edge, edNone);
}

TEST(RegistryRegister, RefusedRegistrationsChangeNothing) {
    enum Target { kDesktop, kTray, kMinimized, kDestroyed, kPlain };
    struct Case {
        const char* name;
        Target target;
        std::uint8_t edge;
    };
    // clang-format off
    constexpr Case kCases[] = {
        {"desktop window", kDesktop, edLeft}, {"taskbar", kTray, edBottom},
        {"minimized", kMinimized, edLeft},    {"vanished", kDestroyed, edLeft},
        {"edge 0", kPlain, 0},     {"edge 5", kPlain, 5},     {"edge 8", kPlain, 8},
        {"edge 9", kPlain, 9},     {"edge 255", kPlain, 255},
    };
    // clang-format on
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig(true);
        Hwnd w = rig.sim.AddWindow(kHome);
        switch (c.target) {
            case kDesktop:
                w = rig.engine.DesktopWnd;
                break;
            case kTray:
                w = rig.engine.TrayWnd;
                break;
            case kMinimized:
                rig.sim.Minimize(w);
                break;
            case kDestroyed:
                rig.sim.Destroy(w);
                break;
            case kPlain:
                break;
        }
        ASSERT_NE(w, 0u);
        rig.engine.RegisterWindow(w, c.edge);
        EXPECT_TRUE(rig.engine.RegWins.empty());
        EXPECT_EQ(rig.sim.Count(CallKind::SetWindowPos), 0u);
    }
}

TEST_F(RegistryTest, EdgeOutsideSidesLeavesExistingRegistrationAlone) {
    const Hwnd w = AddHidden(kHome, edBottom);
    sim.ClearCalls();
    engine.RegisterWindow(w, 7);
    EXPECT_EQ(Slot(w).Edge, edBottom);
    EXPECT_EQ(Slot(w).Status, rsHidden);
    EXPECT_EQ(sim.TotalCalls(), 0u);
}

TEST(RegistryPin, UnregisteredWindowOnlyTogglesTopmost) {
    EngineRig rig(true);
    const Hwnd q = rig.sim.AddWindow(kHome);
    rig.engine.PinWindow(q);
    EXPECT_TRUE(rig.sim.Window(q).topmost);
    rig.engine.UnpinWindow(q);
    EXPECT_FALSE(rig.sim.Window(q).topmost);
    EXPECT_EQ(rig.engine.IndexOfWindow(q), -1);
    const std::vector<Call> expected = {
        {CallKind::SetWindowPos, q, kHwndTopmost, 0, 0, kSwpNoMove | kSwpNoSize},
        {CallKind::SetWindowPos, q, kHwndNoTopmost, 0, 0, kSwpNoMove | kSwpNoSize},
    };
    EXPECT_EQ(rig.sim.calls, expected);

    rig.sim.ClearCalls();
    for (const Hwnd shell : {rig.engine.DesktopWnd, rig.engine.TrayWnd}) {
        rig.engine.PinWindow(shell);
        rig.engine.UnpinWindow(shell);
    }
    EXPECT_EQ(rig.sim.TotalCalls(), 0u);
}

TEST(RegistryPin, OnlyShownRegisteredWindowIsPinned) {
    constexpr Status kStatuses[] = {rsHiding, rsLeaving, rsShowing, rsHidden, rsShown, rsMinimized};
    for (const Status st : kStatuses) {
        SCOPED_TRACE(int{st});
        EngineRig rig;
        const Hwnd w = rig.AddRegistered(kHome, edLeft);
        rig.Slot(w).Status = st;
        rig.sim.ClearCalls();
        rig.engine.PinWindow(w);
        EXPECT_EQ(rig.Slot(w).Pinned, st == rsShown);
        EXPECT_EQ(rig.Slot(w).Status, st);
        EXPECT_EQ(rig.sim.TotalCalls(), 0u);
    }
}

TEST_F(RegistryTest, UnpinHiddenWindowShowsItWithoutMoving) {
    const Hwnd w = AddHidden({-400, 100, 0, 400}, edLeft);
    Slot(w).Pinned = true;
    sim.ClearCalls();
    engine.UnpinWindow(w);
    EXPECT_FALSE(Slot(w).Pinned);
    EXPECT_EQ(Slot(w).Status, rsShown);
    EXPECT_EQ(sim.TotalCalls(), 0u);
    EXPECT_EQ(engine.GetWindowStatus(w), rsShown);
    EXPECT_EQ(engine.GetWindowStatus(other), 0);
    EXPECT_EQ(engine.GetWindowEdge(other), 0);
}

TEST_F(RegistryTest, AttachKeepsOrderAndOneMainFrontEnd) {
    constexpr Hwnd kA = 0xA0, kB = 0xB0, kC = 0xC0, kD = 0xD0;
    engine.AttachFrontEnd(kA, 1);
    engine.AttachFrontEnd(kA, 0);  // already attached
    engine.AttachFrontEnd(kB, 1);  // a main front-end exists: not added
    engine.AttachFrontEnd(kC, 2);  // any value but 1 is ordinary
    engine.AttachFrontEnd(kD, -1);
    EXPECT_EQ(engine.FrontEnds, (TFrontEndarray{kA, kC, kD}));
    EXPECT_EQ(engine.MainFrontEnd, 0);

    engine.DetachFrontEnd(kA);
    EXPECT_EQ(engine.FrontEnds, (TFrontEndarray{kC, kD}));
    EXPECT_EQ(engine.MainFrontEnd, -1);
    EXPECT_TRUE(sim.terminated);
}

TEST_F(RegistryTest, DetachOfUnknownHandleLeavesEngineRunning) {
    engine.AttachFrontEnd(other, 1);
    const Hwnd w = AddHidden(kHome, edLeft);
    Slot(w).Owner = other;
    sim.ClearCalls();
    engine.DetachFrontEnd(0x4242);
    EXPECT_FALSE(sim.terminated);
    EXPECT_TRUE(engine.Running());
    EXPECT_TRUE(sim.timerEnabled);
    EXPECT_EQ(engine.FrontEnds, (TFrontEndarray{other}));
    EXPECT_EQ(Slot(w).Status, rsHidden);
    EXPECT_EQ(sim.TotalCalls(), 0u);
}

// Detaching either front-end ends the engine; its own windows go back first, then the
// close puts back everyone else's.
TEST_F(RegistryTest, DetachOfOneOfTwoFrontEndsReleasesEverythingAndCloses) {
    const Hwnd feA = sim.AddWindow({0, 0, 50, 50});
    const Hwnd feB = sim.AddWindow({50, 0, 100, 50});
    engine.AttachFrontEnd(feA, 1);
    engine.AttachFrontEnd(feB, 0);
    const Hwnd wB = AddHidden({1000, 100, 1300, 400}, edRight);
    const Hwnd wA = AddHidden({100, 100, 400, 400}, edLeft);
    const Hwnd wNone = AddHidden({500, 500, 800, 700}, edBottom);
    Slot(wB).Owner = feB;
    Slot(wA).Owner = feA;
    for (const Hwnd w : {wA, wB, wNone}) {
        sim.MoveTo(w, -2000, -2000);
    }
    sim.ClearCalls();

    engine.DetachFrontEnd(feA);

    EXPECT_TRUE(sim.terminated);
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(engine.FrontEnds, (TFrontEndarray{feB}));
    ASSERT_FALSE(sim.calls.empty());
    EXPECT_EQ(sim.calls.front().wnd, wA);
    EXPECT_EQ(sim.LeftOf(wA), 100);
    EXPECT_EQ(sim.LeftOf(wB), 1000);
    EXPECT_EQ(sim.TopOf(wNone), 500);
    for (const auto& slot : engine.RegWins) {
        EXPECT_EQ(slot->Wnd, 0u);
        EXPECT_EQ(slot->Edge, edNone);
    }
}

TEST(RegistryCompact, DropsFreedSlotsAndLowersLastPopIndex) {
    struct Case {
        const char* name;
        const char* slots;  // 'x' = freed
        std::array<std::int32_t, 3> before;
        std::array<std::int32_t, 3> after;
    };
    constexpr Case kCases[] = {
        {"A x B x C", "AxBxC", {4, 2, 0}, {2, 1, 0}},
        {"x x x A", "xxxA", {3, 0, -1}, {1, -1, -1}},
        {"nothing freed", "ABC", {2, 1, 7}, {2, 1, 7}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        std::vector<Hwnd> kept;
        std::int32_t left = 100;
        for (const char* p = c.slots; *p != '\0'; ++p, left += 10) {
            const Hwnd w = rig.AddRegistered({left, 100, left + 100, 200}, edLeft);
            if (*p == 'x') {
                rig.engine.UnregisterWindow(w);
            } else {
                kept.push_back(w);
            }
        }
        for (std::size_t e = 0; e < 3; ++e) {
            rig.engine.LastPopIndex[e + 1] = c.before[e];
        }
        rig.engine.CompactList();
        ASSERT_EQ(rig.engine.RegWins.size(), kept.size());
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(rig.engine.RegWins[i]->Wnd, kept[i]);
        }
        for (std::size_t e = 0; e < 3; ++e) {
            EXPECT_EQ(rig.engine.LastPopIndex[e + 1], c.after[e]) << "entry " << e + 1;
        }
    }
}

TEST(RegistryClassify, CodesForEveryRelation) {
    EngineRig rig;
    const Hwnd fe = rig.sim.AddWindow({0, 0, 50, 50});
    const Hwnd feOther = rig.sim.AddWindow({50, 0, 100, 50});
    rig.engine.AttachFrontEnd(fe, 1);
    rig.engine.AttachFrontEnd(feOther, 0);
    const Hwnd owned = rig.AddRegistered(kHome, edLeft);
    rig.Slot(owned).Owner = fe;
    const Hwnd ownerless = rig.AddRegistered({600, 600, 700, 700}, edTop);
    // A front-end whose own window is registered, owned by itself.
    rig.engine.RegisterWindow(fe, edRight);
    rig.Slot(fe).Owner = fe;
    const Hwnd stranger = rig.sim.AddWindow({900, 900, 950, 950});

    struct Case {
        Hwnd wnd;
        Hwnd owner;
        WindowClass code;
    };
    // clang-format off
    const Case kCases[] = {
        {stranger, 0, wcUnknown},              {stranger, fe, wcUnknown},
        {owned, fe, wcOwnedWindow},            {owned, 0, wcOwnedWindow},
        {owned, feOther, wcOtherOwnersWindow}, {ownerless, fe, wcOtherOwnersWindow},
        {feOther, feOther, wcFrontEnd},        {feOther, 0, wcFrontEnd},
        {feOther, fe, wcOtherFrontEnd},        {fe, fe, wcFrontEndWindow},
        {fe, 0, wcFrontEndWindow},             {fe, feOther, wcOtherFrontEndWindow},
    };
    // clang-format on
    for (const Case& c : kCases) {
        EXPECT_EQ(rig.engine.ClassifyWindow(c.wnd, c.owner), c.code)
            << "window " << c.wnd << " owner " << c.owner;
    }
}

TEST(RegistryRelease, ThreeWaysBackToNormal) {
    enum Shape { kMaximizedNow, kMaximizedWhenHidden, kPlain };
    struct Case {
        const char* name;
        Shape shape;
    };
    constexpr Case kCases[] = {{"maximized now", kMaximizedNow},
                               {"maximized when its hide started", kMaximizedWhenHidden},
                               {"plain", kPlain}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.sim.cxFrame = 7;
        const Hwnd w = rig.AddHidden(kHome, edLeft);
        rig.sim.MoveTo(w, -400, 100);
        rig.sim.Window(w).topmost = true;
        rig.Slot(w).Owner = rig.other;
        if (c.shape == kMaximizedNow) {
            rig.sim.Maximize(w);
        }
        if (c.shape == kMaximizedWhenHidden) {
            rig.Slot(w).Style = kWsMaximize;
        }
        rig.sim.ClearCalls();

        rig.engine.ReleaseWindow(0);

        std::vector<Call> expectedMoves = {
            {CallKind::SetWindowPos, w, kHwndNoTopmost, 0, 0, kSwpNoMove | kSwpNoSize}};
        std::vector<Call> expectedShows;
        switch (c.shape) {
            case kMaximizedNow:
                expectedMoves.push_back(
                    {CallKind::SetWindowPos, w, kHwndTop, -7, -7, kSwpNoSize | kSwpNoActivate});
                break;
            case kMaximizedWhenHidden:
                expectedShows.push_back({CallKind::ShowWindow, w, 0, kSwShowMaximized});
                break;
            case kPlain:
                expectedShows.push_back({CallKind::ShowWindow, w, 0, kSwRestore});
                expectedMoves.push_back({CallKind::SetWindowPos, w, kHwndTop, kHome.Left, kHome.Top,
                                         kSwpNoSize | kSwpNoActivate});
                break;
        }
        EXPECT_EQ(rig.sim.CallsOf(CallKind::SetWindowPos), expectedMoves);
        EXPECT_EQ(rig.sim.CallsOf(CallKind::ShowWindow), expectedShows);
        EXPECT_FALSE(rig.sim.Window(w).topmost);
        const Tregwin& s = *rig.engine.RegWins[0];
        EXPECT_EQ(s.Wnd, 0u);
        EXPECT_EQ(s.Edge, edNone);
        EXPECT_EQ(s.Status, rsHidden);
        EXPECT_EQ(s.Owner, rig.other);
        EXPECT_EQ(s.HomeRect, kHome);
    }
}

// Closing releases every slot in place; a slot freed earlier does not touch the window it
// once held, wherever that window has gone since.
TEST_F(RegistryTest, CloseQueryReleasesEverySlot) {
    const Hwnd a = AddHidden({100, 100, 400, 400}, edLeft);
    const Hwnd b = AddHidden({600, 700, 900, 900}, edBottom);
    const Hwnd freed = AddRegistered({1200, 100, 1500, 300}, edRight);
    engine.UnregisterWindow(freed);
    sim.MoveTo(freed, 1700, 500);
    sim.MoveTo(a, -300, 100);
    sim.MoveTo(b, 600, 1080);
    sim.ClearCalls();

    bool canClose = true;
    engine.FormCloseQuery(canClose);

    EXPECT_TRUE(canClose);
    EXPECT_EQ(engine.RegWins.size(), 3u);
    EXPECT_EQ(sim.LeftOf(a), 100);
    EXPECT_EQ(sim.TopOf(b), 700);
    EXPECT_EQ(sim.LeftOf(freed), 1700);
    for (const Call& c : sim.calls) {
        EXPECT_NE(c.wnd, freed);
    }
    for (const auto& slot : engine.RegWins) {
        EXPECT_EQ(slot->Edge, edNone);
    }
}

}  // namespace
}  // namespace popyo::test
