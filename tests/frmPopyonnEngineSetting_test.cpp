#include "settings/frmPopyonnEngineSetting.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/SettingsFixture.h"

namespace popyo {
namespace {

using test::kDefaultSettingsText;
using test::kSettingsPath;

using Box = TControl TForm2::*;
using Handler = void (TForm2::*)();

// The default file with one line replaced, e.g. Replaced("mv=150", "mv=20").
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from + "\r\n");
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// A dialog as ShowSettings opens it on the engine's defaults.
TForm2 ShownWithDefaults() {
    TForm2 d;
    ApplyDefaults(d.SettingsFields(), 0);
    d.FormShow();
    return d;
}

// --- number boxes -------------------------------------------------------------------------

struct ExitCase {
    const char* name;
    Box box;
    Handler exit;
    const char* typed;
    const char* after;
};

constexpr ExitCase kExitCases[] = {
    {"Edit1 emptied", &TForm2::Edit1, &TForm2::Edit1Exit, "", "1"},
    {"Edit1 zero", &TForm2::Edit1, &TForm2::Edit1Exit, "0", "1"},
    {"Edit1 double zero", &TForm2::Edit1, &TForm2::Edit1Exit, "00", "1"},
    {"Edit1 in range", &TForm2::Edit1, &TForm2::Edit1Exit, "99", "99"},
    {"Edit2 emptied", &TForm2::Edit2, &TForm2::Edit2Exit, "", "1"},
    {"Edit2 zero", &TForm2::Edit2, &TForm2::Edit2Exit, "0", "0"},
    {"Edit3 emptied", &TForm2::Edit3, &TForm2::Edit3Exit, "", "10"},
    {"Edit3 below ten", &TForm2::Edit3, &TForm2::Edit3Exit, "5", "10"},
    {"Edit3 zero", &TForm2::Edit3, &TForm2::Edit3Exit, "0", "10"},
    {"Edit3 leading zero", &TForm2::Edit3, &TForm2::Edit3Exit, "09", "10"},
    {"Edit3 ten", &TForm2::Edit3, &TForm2::Edit3Exit, "10", "10"},
    {"Edit3 top", &TForm2::Edit3, &TForm2::Edit3Exit, "999", "999"},
    {"Edit5 emptied", &TForm2::Edit5, &TForm2::Edit5Exit, "", "1"},
    {"Edit5 zero", &TForm2::Edit5, &TForm2::Edit5Exit, "0", "0"},
    {"Edit6 emptied", &TForm2::Edit6, &TForm2::Edit6Exit, "", "1"},
    {"Edit6 zero", &TForm2::Edit6, &TForm2::Edit6Exit, "0", "0"},
};

TEST(TForm2, ExitChecksFillAndRaise) {
    for (const ExitCase& c : kExitCases) {
        SCOPED_TRACE(c.name);
        TForm2 d = ShownWithDefaults();
        TControl& box = d.*c.box;
        d.SetText(box, c.typed);
        (d.*c.exit)();
        EXPECT_EQ(box.Text, c.after);
    }
}

struct FilterCase {
    Box box;
    const char* typed;
    const char* after;
};

constexpr FilterCase kFilterCases[] = {
    {&TForm2::Edit1, "1a", "1"},   {&TForm2::Edit1, "-5", "5"},     {&TForm2::Edit2, "a2b3", "23"},
    {&TForm2::Edit2, " 7 ", "7"},  {&TForm2::Edit3, "+150", "150"}, {&TForm2::Edit3, "x1F", "1"},
    {&TForm2::Edit5, "abc", ""},   {&TForm2::Edit5, "1.5", "15"},   {&TForm2::Edit6, "４2", "2"},
    {&TForm2::Edit6, "$20", "20"},
};

// Whatever reaches a number box, typed or pasted, only its digits stay, in their order.
TEST(TForm2, NumberBoxesKeepDigitsOnly) {
    for (const FilterCase& c : kFilterCases) {
        SCOPED_TRACE(c.typed);
        TForm2 d = ShownWithDefaults();
        d.SetText(d.*c.box, c.typed);
        EXPECT_EQ((d.*c.box).Text, c.after);
    }
}

TEST(TForm2, Edit4CapturesTheKeyCodeButNotTab) {
    struct Case {
        std::uint16_t key;
        std::uint8_t shift;
        const char* text;
        std::uint16_t keyAfter;
    };
    constexpr Case kCases[] = {
        {17, 0, "17", 0},       {'A', 0, "65", 0}, {16, ssShift, "16", 0},
        {115, ssAlt, "115", 0}, {9, 0, "17", 9},   {9, ssShift, "17", 9},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " shift " << int{c.shift});
        TForm2 d = ShownWithDefaults();
        std::uint16_t key = c.key;
        d.Edit4KeyDown(key, c.shift);
        EXPECT_EQ(d.Edit4.Text, c.text);
        EXPECT_EQ(key, c.keyAfter);
    }
}

// --- the leave option's dependants ------------------------------------------------------

struct NamedControl {
    const char* name;
    Box box;
    bool dependant;
};

constexpr NamedControl kControls[] = {
    {"Label2", &TForm2::Label2, true},        {"Label19", &TForm2::Label19, true},
    {"Edit1", &TForm2::Edit1, false},         {"Edit2", &TForm2::Edit2, true},
    {"Edit3", &TForm2::Edit3, false},         {"Edit4", &TForm2::Edit4, false},
    {"Edit5", &TForm2::Edit5, false},         {"Edit6", &TForm2::Edit6, true},
    {"CheckBox1", &TForm2::CheckBox1, false}, {"CheckBox2", &TForm2::CheckBox2, false},
    {"CheckBox3", &TForm2::CheckBox3, false}, {"CheckBox4", &TForm2::CheckBox4, false},
    {"CheckBox5", &TForm2::CheckBox5, false}, {"CheckBox6", &TForm2::CheckBox6, false},
    {"CheckBox7", &TForm2::CheckBox7, false}, {"CheckBox8", &TForm2::CheckBox8, true},
    {"CheckBox9", &TForm2::CheckBox9, false},
};

void ExpectDependantsEnabled(const TForm2& d, bool enabled) {
    for (const NamedControl& c : kControls) {
        EXPECT_EQ((d.*c.box).Enabled, c.dependant ? enabled : true) << c.name;
    }
}

TEST(TForm2, CheckBox3GreysExactlyItsDependants) {
    TForm2 d = ShownWithDefaults();
    ExpectDependantsEnabled(d, true);

    d.CheckBox3.Checked = false;
    d.CheckBox3Click();
    ExpectDependantsEnabled(d, false);

    // The shared handler follows CheckBox3 whichever box it runs for.
    d.CheckBox4.Checked = false;
    d.CheckBox3Click();
    ExpectDependantsEnabled(d, false);

    d.CheckBox3.Checked = true;
    d.CheckBox3Click();
    ExpectDependantsEnabled(d, true);
}

TEST(TForm2, OpenedWithOutWinOffShowsTheDependantsGreyed) {
    TForm2 d;
    d.OutWin = false;
    d.FormShow();
    EXPECT_FALSE(d.CheckBox3.Checked);
    ExpectDependantsEnabled(d, false);
}

// --- ShowSettings ---------------------------------------------------------------------------

// The engine starts from a file with a wx of its own, a doubled key and a line it does not
// know; a start-up never rewrites it.
constexpr char kStartFile[] = "wx=300\r\nMV=20\r\nmv=30\r\nextra=1\r\n";

class ShowSettingsTest : public test::SettingsFixture {
  protected:
    void SetUp() override {
        Start(kStartFile);
        ASSERT_TRUE(sim.errorBoxes.empty());
        ASSERT_TRUE(sim.timerEnabled);
    }

    std::string StartValues() const {
        return Replaced(Replaced(kDefaultSettingsText, "wx=195", "wx=300"), "mv=150", "mv=20");
    }
};

TEST_F(ShowSettingsTest, OneDialogAtATimeWithTheTickStopped) {
    int switchesInside = -1;
    int entered = 0;
    settingsDialogScript = [&](TForm2& d) {
        if (++entered > 1) {
            return;
        }
        EXPECT_EQ(engine.SettingsDialog.get(), &d);
        EXPECT_FALSE(sim.timerEnabled);
        EXPECT_FALSE(engine.Timer1.Enabled());
        const int switches = sim.timerSwitches;
        engine.ShowSettings();
        EXPECT_EQ(engine.Dispatch(EM_SETTINGS, 0, 0), 0);
        switchesInside = sim.timerSwitches - switches;
        EXPECT_EQ(engine.SettingsDialog.get(), &d);
    };
    EXPECT_EQ(engine.Dispatch(EM_SETTINGS, 0, 0), 0);

    EXPECT_EQ(sim.modalRuns, 1);
    EXPECT_EQ(switchesInside, 0);
    EXPECT_EQ(engine.SettingsDialog, nullptr);
    EXPECT_TRUE(sim.timerEnabled);
    EXPECT_TRUE(engine.Timer1.Enabled());

    settingsDialogScript = nullptr;
    engine.ShowSettings();
    EXPECT_EQ(sim.modalRuns, 2);
}

TEST_F(ShowSettingsTest, OkAppliesTheFifteenValuesAndRewritesTheFile) {
    settingsDialogScript = [](TForm2& d) {
        d.SetText(d.Edit1, "7");
        d.SetText(d.Edit2, "33");
        d.SetText(d.Edit3, "480");
        std::uint16_t key = 16;
        d.Edit4KeyDown(key, ssShift);
        d.SetText(d.Edit5, "4");
        d.SetText(d.Edit6, "12");
        d.CheckBox9.Checked = true;
        d.cmdOKClick();
    };
    engine.ShowSettings();

    EXPECT_EQ(engine.StoredWx, 300);
    EXPECT_EQ(engine.Wide.EdgeWidth, 7);
    EXPECT_EQ(engine.Wide.OutMargin, 33);
    EXPECT_EQ(engine.Wide.MoveStep, 480);
    EXPECT_EQ(engine.DisableKey, 16);
    EXPECT_EQ(engine.OnTime, 4);
    EXPECT_EQ(engine.OffTime, 12);
    EXPECT_TRUE(engine.ChangePopyonStyle);
    EXPECT_EQ(File(),
              "wx=300\r\nmv=480\r\nmgn=7\r\nmgn2=33\r\nactwin=True\r\nhiact=True\r\n"
              "outwin=True\r\nDisableKey=16\r\nAutoRestore=True\r\nMouseDownDisable=True\r\n"
              "OnTime=4\r\nOffTime=12\r\nOutCheck=True\r\nSwitchOnTime=True\r\n"
              "AutoActivate=True\r\nChangePopyonStyle=True\r\n");
}

// Each check box shows its own setting and hands it back on OK, and nothing else changes.
TEST(ShowSettings, EachCheckBoxDrivesItsOwnKey) {
    struct Case {
        Box box;
        const char* before;
        const char* after;
    };
    constexpr Case kCases[] = {
        {&TForm2::CheckBox1, "actwin=True", "actwin=False"},
        {&TForm2::CheckBox2, "hiact=True", "hiact=False"},
        {&TForm2::CheckBox3, "outwin=True", "outwin=False"},
        {&TForm2::CheckBox4, "AutoRestore=True", "AutoRestore=False"},
        {&TForm2::CheckBox5, "MouseDownDisable=True", "MouseDownDisable=False"},
        {&TForm2::CheckBox6, "SwitchOnTime=True", "SwitchOnTime=False"},
        {&TForm2::CheckBox7, "AutoActivate=True", "AutoActivate=False"},
        {&TForm2::CheckBox8, "OutCheck=True", "OutCheck=False"},
        {&TForm2::CheckBox9, "ChangePopyonStyle=False", "ChangePopyonStyle=True"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.after);
        SimDesktop sim;
        TformPopyonnEngine engine(sim);
        engine.FormCreate();
        test::SettingsDialogScript settingsDialogScript(sim);
        settingsDialogScript = [&](TForm2& d) {
            (d.*c.box).Checked = !(d.*c.box).Checked;
            d.CheckBox3Click();
            d.cmdOKClick();
        };
        engine.ShowSettings();
        EXPECT_EQ(sim.files[kSettingsPath], Replaced(kDefaultSettingsText, c.before, c.after));
    }
}

TEST_F(ShowSettingsTest, OkWithoutChangeRewritesAllSixteenLines) {
    settingsDialogScript = [](TForm2& d) { d.cmdOKClick(); };
    engine.ShowSettings();
    EXPECT_EQ(File(), StartValues());
}

TEST_F(ShowSettingsTest, CancelAndCloseBoxChangeNothing) {
    struct Case {
        const char* name;
        bool pressCancel;
    };
    constexpr Case kCases[] = {{"Cancel", true}, {"close box", false}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        settingsDialogScript = [&](TForm2& d) {
            d.SetText(d.Edit3, "480");
            d.CheckBox1.Checked = false;
            d.CheckBox3.Checked = false;
            d.CheckBox3Click();
            if (c.pressCancel) {
                d.cmdCancelClick();
            }
        };
        engine.ShowSettings();
        EXPECT_EQ(File(), kStartFile);
        EXPECT_EQ(engine.Wide.MoveStep, 20);
        EXPECT_TRUE(engine.ActWin);
        EXPECT_TRUE(engine.OutWin);
        EXPECT_TRUE(sim.timerEnabled);
    }
}

TEST_F(ShowSettingsTest, EachOpeningShowsTheEngineValues) {
    settingsDialogScript = [](TForm2& d) {
        d.SetText(d.Edit3, "480");
        d.CheckBox1.Checked = false;
        d.cmdCancelClick();
    };
    engine.ShowSettings();

    std::string shownSpeed;
    bool shownActWin = false;
    settingsDialogScript = [&](TForm2& d) {
        shownSpeed = d.Edit3.Text;
        shownActWin = d.CheckBox1.Checked;
    };
    engine.ShowSettings();
    EXPECT_EQ(shownSpeed, "20");
    EXPECT_TRUE(shownActWin);
}

// Greyed-out boxes keep what they hold, and OK reads them all the same.
TEST_F(ShowSettingsTest, GreyedDependantsKeepAndSaveTheirValues) {
    settingsDialogScript = [](TForm2& d) {
        d.SetText(d.Edit2, "42");
        d.SetText(d.Edit6, "7");
        d.CheckBox8.Checked = false;
        d.CheckBox3.Checked = false;
        d.CheckBox3Click();
        EXPECT_EQ(d.Edit2.Text, "42");
        EXPECT_EQ(d.Edit6.Text, "7");
        d.cmdOKClick();
    };
    engine.ShowSettings();
    EXPECT_FALSE(engine.OutWin);
    EXPECT_EQ(engine.Wide.OutMargin, 42);
    EXPECT_EQ(engine.OffTime, 7);
    EXPECT_FALSE(engine.OutCheck);

    // The next opening starts with the dependants greyed and their values shown.
    settingsDialogScript = [](TForm2& d) {
        ExpectDependantsEnabled(d, false);
        EXPECT_EQ(d.Edit2.Text, "42");
        d.cmdOKClick();
    };
    engine.ShowSettings();
    EXPECT_NE(File().find("\r\nmgn2=42\r\n"), std::string::npos);
    EXPECT_NE(File().find("\r\noutwin=False\r\n"), std::string::npos);
}

// Numbers from the file are shown as they are: a long one whole, a negative one without
// its sign, since the number boxes hold digits only.
TEST(ShowSettings, FileValuesOutsideTheBoxesRules) {
    SimDesktop sim;
    TformPopyonnEngine engine(sim);
    sim.files[kSettingsPath] = "mv=1500\r\nmgn=-3\r\nOffTime=-12\r\n";
    engine.FormCreate();
    std::vector<std::string> shown;
    test::SettingsDialogScript settingsDialogScript(sim);
    settingsDialogScript = [&](TForm2& d) {
        shown = {d.Edit3.Text, d.Edit1.Text, d.Edit6.Text};
        d.cmdOKClick();
    };
    engine.ShowSettings();
    EXPECT_EQ(shown, (std::vector<std::string>{"1500", "3", "12"}));
    EXPECT_EQ(engine.Wide.MoveStep, 1500);
    EXPECT_EQ(engine.Wide.EdgeWidth, 3);
    EXPECT_EQ(engine.OffTime, 12);
    EXPECT_NE(sim.files[kSettingsPath].find("\r\nmv=1500\r\n"), std::string::npos);
}

// The new values are in effect at once; the failure shows in the error box, and the engine
// keeps its tick and can open the dialog again.
TEST_F(ShowSettingsTest, FailedSaveStillEndsTheRun) {
    sim.unwritable.insert(kSettingsPath);
    settingsDialogScript = [](TForm2& d) {
        d.SetText(d.Edit3, "480");
        d.cmdOKClick();
    };
    RunAtEventBoundary(sim, [&] { engine.Dispatch(EM_SETTINGS, 0, 0); });

    EXPECT_EQ(sim.errorBoxes,
              std::vector<std::string>{"ファイル " + kSettingsPath + " を作成できません."});
    EXPECT_EQ(engine.Wide.MoveStep, 480);
    EXPECT_EQ(File(), kStartFile);
    EXPECT_EQ(engine.SettingsDialog, nullptr);
    EXPECT_TRUE(sim.timerEnabled);

    sim.unwritable.clear();
    settingsDialogScript = [](TForm2& d) { d.cmdOKClick(); };
    engine.ShowSettings();
    EXPECT_EQ(sim.modalRuns, 2);
    EXPECT_EQ(File(), Replaced(StartValues(), "mv=20", "mv=480"));
}

// A front-end that detaches while the dialog is open ends the engine; the run ends as a
// cancel, also when OK was pressed just before the detach arrived.
TEST(ShowSettings, DetachWhileOpenAppliesAndSavesNothing) {
    struct Case {
        const char* name;
        bool okFirst;
    };
    constexpr Case kCases[] = {{"detach only", false}, {"OK, then detach", true}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        SimDesktop sim;
        TformPopyonnEngine engine(sim);
        sim.files[kSettingsPath] = kStartFile;
        engine.FormCreate();
        const Hwnd frontEnd = sim.AddWindow({0, 0, 100, 100}, "FrontEnd");
        const Hwnd wnd = sim.AddWindow({300, 200, 700, 600});
        ASSERT_EQ(engine.Dispatch(EM_ATTACH, frontEnd, 1), 1);
        engine.Dispatch(EM_REGISTER, wnd, edLeft);
        sim.MoveTo(wnd, -400, 200);

        test::SettingsDialogScript settingsDialogScript(sim);
        settingsDialogScript = [&](TForm2& d) {
            d.SetText(d.Edit3, "480");
            if (c.okFirst) {
                d.cmdOKClick();
            }
            engine.Dispatch(EM_DETACH, frontEnd, 0);
        };
        engine.Dispatch(EM_SETTINGS, 0, 0);

        EXPECT_TRUE(sim.terminated);
        EXPECT_FALSE(engine.Running());
        EXPECT_EQ(engine.Wide.MoveStep, 20);
        EXPECT_EQ(sim.files[kSettingsPath], kStartFile);
        EXPECT_EQ(engine.SettingsDialog, nullptr);
        EXPECT_EQ(sim.LeftOf(wnd), 300);
        EXPECT_TRUE(sim.errorBoxes.empty());
    }
}

}  // namespace
}  // namespace popyo
