#include "engine/frmPopyonnEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/SettingsFixture.h"

namespace popyo {
namespace {

using test::kDefaultSettingsText;
using test::kSettingsPath;

class FormCreateTest : public test::SettingsFixture {};

// --- start-up -------------------------------------------------------------------------------

TEST_F(FormCreateTest, FirstStartSetsEveryDefaultAndWritesTheFile) {
    const Hwnd progman = sim.AddShellWindows();
    sim.foreground = sim.AddWindow({10, 10, 200, 200});
    Start();

    EXPECT_TRUE(sim.errorBoxes.empty());
    EXPECT_EQ(sim.engineTitle, "QovPopyonEngineWindowServer");
    EXPECT_EQ(engine.DesktopWnd, progman);
    EXPECT_EQ(engine.TrayWnd, sim.FindWindowA("Shell_TrayWnd", ""));
    EXPECT_NE(engine.TrayWnd, 0u);
    EXPECT_EQ(engine.StoredWx, 195);
    EXPECT_TRUE(engine.RegWins.empty());
    EXPECT_TRUE(engine.FrontEnds.empty());
    EXPECT_EQ(engine.MainFrontEnd, -1);
    EXPECT_FALSE(engine.Busy);
    EXPECT_EQ(engine.ForeWnd, sim.foreground);
    EXPECT_EQ(engine.PrevForeWnd, sim.foreground);
    EXPECT_EQ(engine.LastPopIndex, (std::array<std::int32_t, 9>{}));
    EXPECT_EQ(engine.Wide.MoveStep, 150);
    EXPECT_EQ(engine.Wide.EdgeWidth, 1);
    EXPECT_EQ(engine.Wide.OutMargin, 15);
    EXPECT_EQ(engine.Wide.DeskRect, TRect{});
    EXPECT_TRUE(engine.ActWin && engine.HiAct && engine.OutWin);
    EXPECT_EQ(engine.DisableKey, 17);
    EXPECT_TRUE(engine.AutoRestore && engine.MouseDownDisable && engine.SwitchOnTime);
    EXPECT_EQ(engine.OnTime, 10);
    EXPECT_EQ(engine.OffTime, 10);
    EXPECT_TRUE(engine.OutCheck && engine.AutoActivate);
    EXPECT_FALSE(engine.ChangePopyonStyle);
    EXPECT_EQ(engine.PendingEdge, 0);
    EXPECT_EQ(engine.DwellCount, 0);
    EXPECT_EQ(engine.LastEdge, 0);

    EXPECT_EQ(File(), kDefaultSettingsText);
    EXPECT_EQ(sim.files.size(), 1u);
    EXPECT_TRUE(engine.Timer1.Enabled());
    EXPECT_TRUE(sim.timerEnabled);
    EXPECT_EQ(sim.timerSwitches, 1);
    EXPECT_TRUE(engine.Running());
    EXPECT_FALSE(sim.terminated);
}

// The single-instance test runs while the engine's own window still has no title; every
// later lookup sees the title set.
TEST_F(FormCreateTest, TitleIsSetAfterTheSingleInstanceTest) {
    std::vector<std::string> titleAtLookup;
    sim.onCall = [&](const Call& c) {
        if (c.kind == CallKind::FindWindowA) {
            titleAtLookup.push_back(sim.engineTitle);
        }
    };
    Start();
    ASSERT_GE(titleAtLookup.size(), 3u);
    EXPECT_EQ(titleAtLookup[0], "");
    for (std::size_t i = 1; i < titleAtLookup.size(); ++i) {
        EXPECT_EQ(titleAtLookup[i], "QovPopyonEngineWindowServer");
    }
    EXPECT_TRUE(sim.notices.empty());
}

// Without the shell's desktop window the desktop rectangle would stay all zeros and every
// cursor position would read as an edge.
TEST_F(FormCreateTest, WithoutProgmanTheDesktopWindowStandsIn) {
    Start();
    EXPECT_EQ(engine.DesktopWnd, sim.GetDesktopWindow());
    EXPECT_NE(engine.DesktopWnd, 0u);
    EXPECT_EQ(engine.TrayWnd, 0u);
}

TEST_F(FormCreateTest, ShellWindowsMustMatchClassAndTitleExactly) {
    sim.AddWindow({0, 0, 1920, 1080}, "Progman", "Desktop");
    sim.AddWindow({0, 1040, 1920, 1080}, "Shell_TrayWnd", "Taskbar");
    Start();
    EXPECT_EQ(engine.DesktopWnd, sim.GetDesktopWindow());
    EXPECT_EQ(engine.TrayWnd, 0u);
}

TEST_F(FormCreateTest, UnreadableUserNameGivesAFileWithoutName) {
    sim.userName = std::nullopt;
    Start();
    ASSERT_EQ(sim.files.count("C:\\Program Files\\Popyonn\\PopyoE_.dat"), 1u);
    EXPECT_EQ(sim.files.size(), 1u);
}

// A file that exists is read and never rewritten at start-up, whatever it holds.
TEST_F(FormCreateTest, ExistingFileIsReadNotRewritten) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t moveStep;
        std::int32_t wx;
    };
    constexpr Case kCases[] = {
        {"empty", "", 150, 195},
        {"no keys", "hello\r\nworld=1\r\n", 150, 195},
        {"some keys", "MV=20\r\nwx=300\r\nmv=30\r\n", 20, 300},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        SimDesktop desk;
        TformPopyonnEngine e(desk);
        desk.files[kSettingsPath] = c.text;
        e.FormCreate();
        EXPECT_EQ(desk.files[kSettingsPath], c.text);
        EXPECT_EQ(e.Wide.MoveStep, c.moveStep);
        EXPECT_EQ(e.StoredWx, c.wx);
        EXPECT_TRUE(desk.timerEnabled);
    }
}

// An engine started elevated still hears ordinary front-ends: exactly the control messages
// pass the integrity-level filter, and they are the ones the engine has handlers for.
TEST_F(FormCreateTest, LetsExactlyTheControlMessagesThroughTheFilter) {
    Start();
    std::vector<std::uint32_t> table(std::begin(kControlMessages), std::end(kControlMessages));
    table.insert(table.end(), std::begin(kExtensionMessages), std::end(kExtensionMessages));
    EXPECT_EQ(sim.allowedMessages, table);
    for (std::uint32_t msg = kFirstControlMessage; msg <= kLastExtensionMessage; ++msg) {
        const bool listed = std::find(table.begin(), table.end(), msg) != table.end();
        EXPECT_EQ(engine.Dispatch(msg, 0, 0).has_value(), listed) << std::hex << msg;
        EXPECT_EQ(IsEngineMessage(msg), listed || msg <= kLastControlMessage) << std::hex << msg;
    }

    // A refused second engine opens its window to nobody.
    sim.allowedMessages.clear();
    TformPopyonnEngine second(sim);
    RunAtEventBoundary(sim, [&] { second.FormCreate(); });
    EXPECT_TRUE(sim.allowedMessages.empty());
}

// --- a second engine --------------------------------------------------------------------------

TEST_F(FormCreateTest, SecondEngineIsRefusedAndTouchesNothing) {
    sim.AddShellWindows();
    Start();
    ASSERT_TRUE(engine.Running());
    sim.files.clear();
    sim.engineTitle.clear();
    const int switches = sim.timerSwitches;

    TformPopyonnEngine second(sim);
    RunAtEventBoundary(sim, [&] { second.FormCreate(); });

    ASSERT_EQ(sim.notices.size(), 1u);
    EXPECT_EQ(sim.notices[0].first, "二重起動は出来ません。");
    EXPECT_EQ(sim.notices[0].second, "QovPopyonEngine");
    EXPECT_TRUE(sim.terminated);
    EXPECT_FALSE(second.Running());
    EXPECT_EQ(sim.engineTitle, "");
    EXPECT_TRUE(sim.files.empty());
    EXPECT_TRUE(sim.errorBoxes.empty());
    EXPECT_FALSE(second.Timer1.Enabled());
    EXPECT_EQ(sim.timerSwitches, switches);
    EXPECT_EQ(second.DesktopWnd, 0u);

    // The running engine keeps its settings and its tick.
    EXPECT_TRUE(engine.Running());
    EXPECT_TRUE(engine.Timer1.Enabled());
    EXPECT_EQ(engine.Wide.MoveStep, 150);
}

// Two engines started at the same instant both miss each other's window; the one that
// loses the lock is refused the same way.
TEST_F(FormCreateTest, EngineThatLosesTheStartUpLockIsRefused) {
    sim.anotherInstanceHoldsLock = true;
    Start();
    ASSERT_EQ(sim.notices.size(), 1u);
    EXPECT_EQ(sim.notices[0].first, "二重起動は出来ません。");
    EXPECT_TRUE(sim.terminated);
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(sim.engineTitle, "");
    EXPECT_TRUE(sim.files.empty());
    EXPECT_FALSE(engine.Timer1.Enabled());
}

// --- errors of the settings file ----------------------------------------------------------

TEST_F(FormCreateTest, ConversionErrorLeavesFormCreateAtTheFailingKey) {
    sim.files[kSettingsPath] = "wx=300\r\nmv=abc\r\nmgn=5\r\n";
    try {
        engine.FormCreate();
        ADD_FAILURE() << "FormCreate did not report the conversion error";
    } catch (const SettingsError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_FALSE(engine.Timer1.Enabled());
}

TEST_F(FormCreateTest, ConversionErrorShowsInTheErrorBoxAndTheEngineStaysIdle) {
    const std::string text = "wx=300\r\nmv=abc\r\nmgn=5\r\n";
    Start(text);
    ASSERT_EQ(sim.errorBoxes.size(), 1u);
    EXPECT_EQ(sim.errorBoxes[0], "'abc' is not a valid integer value.");
    EXPECT_EQ(engine.StoredWx, 300);
    EXPECT_EQ(engine.Wide.MoveStep, 150);
    EXPECT_EQ(engine.Wide.EdgeWidth, 1);
    EXPECT_EQ(sim.engineTitle, "QovPopyonEngineWindowServer");
    EXPECT_EQ(File(), text);
    EXPECT_FALSE(engine.Timer1.Enabled());
    EXPECT_FALSE(sim.timerEnabled);
    EXPECT_TRUE(engine.Running());

    // The tick starts once a settings dialog run has ended.
    engine.ShowSettings();
    EXPECT_TRUE(sim.timerEnabled);
}

TEST_F(FormCreateTest, FileErrorsShowTheirTextWithThePath) {
    struct Case {
        const char* name;
        bool fileExists;
        bool unreadable;
        bool unwritable;
        std::string error;
    };
    const Case kCases[] = {
        {"unreadable", true, true, false, "ファイル " + kSettingsPath + " は開けません."},
        {"uncreatable", false, false, true, "ファイル " + kSettingsPath + " を作成できません."},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        SimDesktop desk;
        TformPopyonnEngine e(desk);
        if (c.fileExists) {
            desk.files[kSettingsPath] = "mv=20\r\n";
        }
        if (c.unreadable) {
            desk.unreadable.insert(kSettingsPath);
        }
        if (c.unwritable) {
            desk.unwritable.insert(kSettingsPath);
        }
        RunAtEventBoundary(desk, [&] { e.FormCreate(); });
        EXPECT_EQ(desk.errorBoxes, std::vector<std::string>{c.error});
        EXPECT_EQ(e.Wide.MoveStep, 150);
        EXPECT_FALSE(desk.timerEnabled);
        EXPECT_EQ(desk.files.count(kSettingsPath), c.fileExists ? 1u : 0u);
    }
}

// --- keys -----------------------------------------------------------------------------------

TEST(FormKeyDown, SwallowsAltF4Only) {
    struct Case {
        std::uint16_t key;
        TShiftState shift;
        std::uint16_t after;
    };
    constexpr Case kCases[] = {
        {115, ssAlt, 0},
        {115, ssAlt | ssShift, 0},
        {115, ssAlt | ssCtrl, 0},
        {115, ssAlt | ssCtrl | ssShift, 0},
        {115, 0, 115},
        {115, ssCtrl, 115},
        {115, ssShift, 115},
        {114, ssAlt, 114},
        {116, ssAlt, 116},
        {18, ssAlt, 18},
        {'A', 0, 'A'},
    };
    SimDesktop sim;
    TformPopyonnEngine engine(sim);
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " shift " << int{c.shift});
        std::uint16_t key = c.key;
        engine.FormKeyDown(key, c.shift);
        EXPECT_EQ(key, c.after);
    }
    EXPECT_TRUE(engine.Running());
    EXPECT_FALSE(sim.terminated);
}

// --- closing --------------------------------------------------------------------------------

class CloseTest : public test::SettingsFixture {
  protected:
    void SetUp() override {
        sim.AddShellWindows();
        Start();
        for (std::int32_t i = 0; i < 3; ++i) {
            const TRect home{100 + 300 * i, 100, 300 + 300 * i, 400};
            wnds.push_back(sim.AddWindow(home));
            engine.RegisterWindow(wnds.back(), edLeft);
        }
        // The middle slot is freed; its window wanders off and must stay where it went.
        engine.UnregisterWindow(wnds[1]);
        for (Hwnd w : wnds) {
            sim.MoveTo(w, -500, 700);
        }
        sim.ClearCalls();
    }

    std::vector<Hwnd> wnds;
};

TEST_F(CloseTest, CloseQueryReleasesEverySlotAndAllowsTheClose) {
    bool canClose = true;
    engine.FormCloseQuery(canClose);

    EXPECT_TRUE(canClose);
    EXPECT_EQ(sim.LeftOf(wnds[0]), 100);
    EXPECT_EQ(sim.TopOf(wnds[0]), 100);
    EXPECT_EQ(sim.LeftOf(wnds[2]), 700);
    EXPECT_EQ(sim.LeftOf(wnds[1]), -500);
    for (const Call& c : sim.calls) {
        EXPECT_NE(c.wnd, wnds[1]) << "the freed slot was released with effect";
    }
    // The list is neither compacted nor emptied.
    ASSERT_EQ(engine.RegWins.size(), 3u);
    for (const auto& slot : engine.RegWins) {
        EXPECT_EQ(slot->Wnd, 0u);
        EXPECT_EQ(slot->Edge, edNone);
    }
    EXPECT_TRUE(engine.Running());
    EXPECT_FALSE(sim.terminated);
}

TEST_F(CloseTest, CloseReleasesThenEndsTheApplication) {
    sim.files[kSettingsPath] = "mv=20\r\n";
    engine.Close();
    EXPECT_EQ(sim.LeftOf(wnds[0]), 100);
    EXPECT_EQ(sim.LeftOf(wnds[2]), 700);
    EXPECT_TRUE(sim.terminated);
    EXPECT_FALSE(engine.Running());
    EXPECT_FALSE(sim.timerEnabled);
    // The settings are not saved at shutdown.
    EXPECT_EQ(File(), "mv=20\r\n");
}

}  // namespace
}  // namespace popyo
