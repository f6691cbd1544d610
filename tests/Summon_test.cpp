// A rule's own key: what a press does to the rule's window, one start of its program at a
// time, where a started window comes out, and the [[window]] keys that say so.
#include "frontends/tray/Summon.h"

#include <gtest/gtest.h>

#include <map>

#include "frontends/tray/RulesFile.h"
#include "frontends/tray/TrayMenu.h"

namespace popyo::tray {
namespace {

struct PlanCase {
    const char* what;
    std::optional<Status> status;
    bool active;
    bool canLaunch;
    bool launching;
    SummonStep step;
};

const PlanCase kPlans[] = {
    {"tucked away", rsHidden, false, true, false, SummonStep::Out},
    {"tucked away, still the foreground", rsHidden, true, false, false, SummonStep::Out},
    {"sliding away", rsHiding, true, false, false, SummonStep::Out},
    {"minimized", rsMinimized, false, false, false, SummonStep::Out},
    {"held but not yet by the engine", rsNone, false, false, false, SummonStep::Out},
    {"out and active", rsShown, true, true, false, SummonStep::Away},
    {"coming out, active", rsShowing, true, false, false, SummonStep::Away},
    {"out, cursor left it, active", rsLeaving, true, false, false, SummonStep::Away},
    {"out behind another window", rsShown, false, true, false, SummonStep::Activate},
    {"coming out behind another", rsShowing, false, false, false, SummonStep::Activate},
    {"no window, a program to run", std::nullopt, false, true, false, SummonStep::Launch},
    {"no window, starting already", std::nullopt, false, true, true, SummonStep::Nothing},
    {"no window, nothing to run", std::nullopt, false, false, false, SummonStep::Nothing},
};

TEST(SummonPlan, APressActsOnWhatTheWindowIsDoing) {
    for (const PlanCase& c : kPlans) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlanSummon(c.status, c.active, c.canLaunch, c.launching), c.step);
    }
}

TEST(SummonLaunches, OneStartAtATimeEachReportedOnceWhenNoWindowCame) {
    Launches launches;
    EXPECT_FALSE(launches.NextDue());
    launches.Started(0, 1000);
    EXPECT_TRUE(launches.Pending(0));
    EXPECT_FALSE(launches.Pending(1));
    // A second press while it starts: the patience runs from the first.
    launches.Started(0, 5000);
    EXPECT_EQ(launches.NextDue(), Ms{1000 + Launches::kPatienceMs});
    launches.Started(1, 2000);
    EXPECT_TRUE(launches.Overdue(1000 + Launches::kPatienceMs - 1).empty());
    EXPECT_EQ(launches.Overdue(1000 + Launches::kPatienceMs), std::vector<std::size_t>{0});
    EXPECT_TRUE(launches.Overdue(1000 + Launches::kPatienceMs).empty()) << "reported twice";
    EXPECT_FALSE(launches.Pending(0));
    // The window came: awaited once, not again.
    EXPECT_TRUE(launches.Arrived(1));
    EXPECT_FALSE(launches.Arrived(1));
    EXPECT_TRUE(launches.Overdue(99999).empty());
    EXPECT_FALSE(launches.NextDue());
}

struct OutCase {
    const char* what;
    TRect window;
    Edge edge;
    TRect monitor;
    TRect out;
};

const OutCase kOuts[] = {
    {"top of its own monitor", {300, 200, 900, 600}, edTop, {0, 0, 1920, 1080}, {300, 0, 900, 400}},
    {"left", {300, 200, 900, 600}, edLeft, {0, 0, 1920, 1080}, {0, 200, 600, 600}},
    {"bottom", {300, 200, 900, 600}, edBottom, {0, 0, 1920, 1080}, {300, 680, 900, 1080}},
    {"right", {300, 200, 900, 600}, edRight, {0, 0, 1920, 1080}, {1320, 200, 1920, 600}},
    {"top of another monitor: moved across into it",
     {300, 200, 900, 600},
     edTop,
     {1920, 0, 4480, 1440},
     {1920, 0, 2520, 400}},
    {"bottom of a monitor left of the primary",
     {300, 200, 900, 600},
     edBottom,
     {-1280, 0, 0, 1024},
     {-600, 624, 0, 1024}},
};

TEST(SummonOutPlace, AStartedWindowComesOutAtItsEdgeOfTheMonitor) {
    for (const OutCase& c : kOuts) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OutPlace(c.window, c.edge, c.monitor), c.out);
    }
}

TEST(SummonExpand, VariablesAsWindowsExpandsThem) {
    const std::map<std::string, std::string, std::less<>> vars = {{"USERPROFILE", "C:\\Users\\me"},
                                                                  {"HOMEDRIVE", "C:"}};
    const auto lookup = [&](std::string_view name) -> std::optional<std::string> {
        const auto it = vars.find(name);
        return it != vars.end() ? std::optional(it->second) : std::nullopt;
    };
    const std::pair<const char*, const char*> cases[] = {
        {"%USERPROFILE%\\src", "C:\\Users\\me\\src"},
        {"%HOMEDRIVE%%USERPROFILE%", "C:C:\\Users\\me"},
        {"%NOPE%\\x", "%NOPE%\\x"},
        {"%NOPE%USERPROFILE%", "%NOPEC:\\Users\\me"},
        {"100%", "100%"},
        {"%%", "%%"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& [text, expanded] : cases) {
        EXPECT_EQ(ExpandVariables(text, lookup), expanded) << text;
    }
}

TEST(SummonRules, AWindowEntryGivesItsKeyProgramAndMonitor) {
    const RulesParse parsed = ParseRulesFile(
        "[[window]]\nedge = \"left\"\nexe = \"calc.exe\"\n"
        "\n[[window]]\nedge = \"top\"\nexe = \"WindowsTerminal.exe\"\nhotkey = \"Win+`\"\n"
        "run = \"wt.exe\"\nargs = \"-w _quake\"\ncwd = \"%USERPROFILE%\"\nmonitor = \"Cursor\"\n"
        "\n[[window]]\nedge = \"right\"\ntitle = \"Notes\"\nhotkey = \"ctrl+alt+n\"\n");
    ASSERT_TRUE(parsed.config) << parsed.error.reason;
    const auto& summons = parsed.config->summons;
    ASSERT_EQ(summons.size(), 2u);
    EXPECT_EQ(summons[0], (Summon{1,
                                  5,
                                  {kModWin, 0xC0},
                                  Launch{"wt.exe", "-w _quake", "%USERPROFILE%"},
                                  SummonMonitor::Cursor}));
    EXPECT_EQ(summons[1],
              (Summon{2, 14, {kModControl | kModAlt, 'N'}, std::nullopt, SummonMonitor::Own}));
    EXPECT_EQ(parsed.config->rules.size(), 3u);
    EXPECT_EQ(parsed.config->rules[summons[0].rule].edge, edTop);
}

struct FaultCase {
    const char* what;
    const char* text;
    std::uint32_t line;
    std::uint32_t column;
    const char* says;
};

constexpr char kEntry[] = "[[window]]\nedge = \"top\"\nexe = \"a.exe\"\n";

const FaultCase kFaults[] = {
    {"bad hotkey", "hotkey = \"Ctrl+Alt+Tee\"\n", 4, 10, "unknown key 'Tee'"},
    {"hotkey not a string", "hotkey = 5\n", 4, 10, "'hotkey' must be a string"},
    {"run without a hotkey", "run = \"a.exe\"\n", 4, 7, "work only with a hotkey"},
    {"monitor without a hotkey", "monitor = \"cursor\"\n", 4, 11, "work only with a hotkey"},
    {"args without run", "hotkey = \"Ctrl+Alt+A\"\nargs = \"-x\"\n", 5, 1, "'args' needs a 'run'"},
    {"cwd not a string", "hotkey = \"Ctrl+Alt+A\"\nrun = \"a.exe\"\ncwd = 3\n", 6, 7,
     "'cwd' must be a string"},
    {"empty run", "hotkey = \"Ctrl+Alt+A\"\nrun = \"\"\n", 5, 7, "'run' must not be empty"},
    {"bad monitor", "hotkey = \"Ctrl+Alt+A\"\nmonitor = \"left\"\n", 5, 11,
     "'monitor' must be \"own\" or \"cursor\""},
    {"a tuck key's default", "hotkey = \"Ctrl+Alt+Shift+Up\"\n", 4, 10,
     "Ctrl+Alt+Shift+Up is given to two actions"},
    {"a key of [hotkeys]", "hotkey = \"Ctrl+Alt+H\"\n[hotkeys]\nleft = \"Ctrl+Alt+H\"\n", 4, 10,
     "Ctrl+Alt+H is given to two actions"},
    {"two rules, one key: the later blamed",
     "hotkey = \"Ctrl+Alt+H\"\n[[window]]\nedge = \"left\"\nexe = \"b.exe\"\n"
     "hotkey = \"alt+ctrl+h\"\n",
     8, 10, "Ctrl+Alt+H is given to two actions"},
    {"unknown key names the new ones", "hotkee = \"Ctrl+Alt+H\"\n", 4, 1,
     "(use edge, class, title, title_contains, exe, hotkey, run, args, cwd, monitor)"},
};

TEST(SummonRules, AFaultInTheNewKeysIsReportedWithItsPlace) {
    for (const FaultCase& c : kFaults) {
        SCOPED_TRACE(c.what);
        const RulesParse parsed = ParseRulesFile(std::string(kEntry) + c.text);
        ASSERT_FALSE(parsed.config.has_value());
        EXPECT_EQ(parsed.error.line, c.line);
        EXPECT_EQ(parsed.error.column, c.column);
        EXPECT_NE(parsed.error.reason.find(c.says), std::string::npos) << parsed.error.reason;
    }
}

// Turning a tuck key off frees it for a rule.
TEST(SummonRules, AKeyTurnedOffInHotkeysIsFreeForARule) {
    const RulesParse parsed = ParseRulesFile(std::string(kEntry) +
                                             "hotkey = \"Ctrl+Alt+Shift+Up\"\n"
                                             "[hotkeys]\ntop = \"\"\n");
    ASSERT_TRUE(parsed.config) << parsed.error.reason;
    EXPECT_EQ(parsed.config->summons.size(), 1u);
}

TEST(SummonMenu, AHeldWindowShowsItsRulesKeyBesideItsEdge) {
    std::vector<Held> held(2);
    held[0].title = "Terminal";
    held[0].edge = edTop;
    held[1].title = "Notes";
    held[1].edge = edLeft;
    MenuState state;
    state.heldKeys = {Hotkey{kModControl | kModAlt, 'T'}, std::nullopt};
    const std::vector<MenuItem> menu = BuildTrayMenu(held, state);
    EXPECT_EQ(menu[0].text, "Terminal\ttop  Ctrl+Alt+T");
    EXPECT_EQ(menu[1].text, "Notes\tleft");
    state.language = Language::Japanese;
    EXPECT_EQ(BuildTrayMenu(held, state)[0].text, "Terminal\t上  Ctrl+Alt+T");
    // Without keys given, as before.
    EXPECT_EQ(BuildTrayMenu(held, MenuState{})[0].text, "Terminal\ttop");
}

}  // namespace
}  // namespace popyo::tray
