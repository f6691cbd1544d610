#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "frontends/popyctl/PopyctlCli.h"
#include "frontends/popyctl/TopWindows.h"

namespace popyctl {
namespace {

using popyo::MonitorList;
using popyo::frontend::PlanRescue;
using popyo::frontend::PutBackPosition;
using popyo::frontend::RescuePosition;
using popyo::frontend::WindowMatch;
using Kind = WindowSpec::Kind;
using Args = std::array<const char*, 4>;

std::vector<std::string> ToVector(const Args& args) {
    std::vector<std::string> out;
    for (const char* arg : args) {
        if (arg != nullptr) {
            out.emplace_back(arg);
        }
    }
    return out;
}

struct CommandCase {
    Args args;
    Verb verb;
    Edge edge;
    Kind kind;
    Hwnd handle;
    const char* text;
    Hwnd frontEnd;  // 0: none given
    std::uint8_t home;
};

constexpr CommandCase kCommandCases[] = {
    {{"register", "left", "class=Notepad"},
     Verb::Register,
     popyo::edLeft,
     Kind::Class,
     0,
     "Notepad",
     0,
     0},
    {{"register", "3", "0x1a2B"}, Verb::Register, popyo::edBottom, Kind::Handle, 0x1A2B, "", 0, 0},
    {{"register", "RIGHT", "4294967295"},
     Verb::Register,
     popyo::edRight,
     Kind::Handle,
     0xFFFFFFFF,
     "",
     0,
     0},
    {{"release", "title=Untitled - Notepad"},
     Verb::Release,
     popyo::edNone,
     Kind::Title,
     0,
     "Untitled - Notepad",
     0,
     0},
    {{"owner", "123", "0x10"}, Verb::Owner, popyo::edNone, Kind::Handle, 123, "", 0x10, 0},
    {{"pop", "top"}, Verb::Pop, popyo::edTop, Kind::Handle, 0, "", 0, 0},
    {{"pop", "1"}, Verb::Pop, popyo::edLeft, Kind::Handle, 0, "", 0, 0},
    {{"hide-all"}, Verb::HideAll, popyo::edNone, Kind::Handle, 0, "", 0, 0},
    {{"hide", "foreground"}, Verb::Hide, popyo::edNone, Kind::Foreground, 0, "", 0, 0},
    {{"pin", "class=a=b"}, Verb::Pin, popyo::edNone, Kind::Class, 0, "a=b", 0, 0},
    {{"unpin", "0x2"}, Verb::Unpin, popyo::edNone, Kind::Handle, 2, "", 0, 0},
    {{"home", "0x2", "1"}, Verb::Home, popyo::edNone, Kind::Handle, 2, "", 0, 1},
    {{"query", "title=電卓"}, Verb::Query, popyo::edNone, Kind::Title, 0, "電卓", 0, 0},
    {{"classify", "0x2"}, Verb::Classify, popyo::edNone, Kind::Handle, 2, "", 0, 0},
    {{"classify", "0x2", "0x3"}, Verb::Classify, popyo::edNone, Kind::Handle, 2, "", 3, 0},
    {{"detach", "0x44"}, Verb::Detach, popyo::edNone, Kind::Handle, 0, "", 0x44, 0},
    {{"settings"}, Verb::Settings, popyo::edNone, Kind::Handle, 0, "", 0, 0},
    {{"rescue"}, Verb::Rescue, popyo::edNone, Kind::Handle, 0, "", 0, 0},
    {{"watch", "class=Notepad"}, Verb::Watch, popyo::edNone, Kind::Class, 0, "Notepad", 0, 0},
};

TEST(PopyctlParse, VerbsTurnIntoTypedCommands) {
    for (const CommandCase& c : kCommandCases) {
        SCOPED_TRACE(c.args[0]);
        const ParseOutcome out = ParseCommandLine(ToVector(c.args));
        ASSERT_TRUE(out.command.has_value()) << out.error;
        const Command& cmd = *out.command;
        EXPECT_EQ(cmd.verb, c.verb);
        EXPECT_EQ(cmd.edge, c.edge);
        EXPECT_EQ(cmd.window, (WindowSpec{c.kind, c.handle, c.text}));
        EXPECT_EQ(cmd.frontEnd.has_value(), c.frontEnd != 0);
        if (cmd.frontEnd) {
            EXPECT_EQ(*cmd.frontEnd, (WindowSpec{Kind::Handle, c.frontEnd, ""}));
        }
        EXPECT_EQ(cmd.home, c.home);
        EXPECT_TRUE(out.error.empty());
    }
}

TEST(PopyctlParse, RunCollectsItsRulesInOrder) {
    const ParseOutcome out = ParseCommandLine(
        {"run", "left:class=Notepad", "4:title=Calc: 2+2", "top:title=x", "bottom:exe=メモ帳.exe"});
    ASSERT_TRUE(out.command.has_value()) << out.error;
    const std::vector<Rule> expected = {
        {popyo::edLeft, WindowMatch{.className = "Notepad"}},
        {popyo::edRight, WindowMatch{.title = "Calc: 2+2"}},
        {popyo::edTop, WindowMatch{.title = "x"}},
        {popyo::edBottom, WindowMatch{.exe = "メモ帳.exe"}},
    };
    EXPECT_EQ(out.command->rules, expected);
}

TEST(PopyctlParse, OptionsByNameWithTheirValues) {
    struct Case {
        Args args;
        popyo::EngineOption option;
        std::optional<std::int32_t> value;
    };
    const Case kCases[] = {
        {{"option", "skip_cloaked"}, popyo::opSkipCloaked, std::nullopt},
        {{"option", "quiet_over_fullscreen", "1"}, popyo::opQuietOverFullscreen, 1},
        {{"option", "align_visible_frame", "Off"}, popyo::opAlignVisibleFrame, 0},
        {{"option", "align_visible_frame", "true"}, popyo::opAlignVisibleFrame, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.args[1]);
        const ParseOutcome out = ParseCommandLine(ToVector(c.args));
        ASSERT_TRUE(out.command.has_value()) << out.error;
        EXPECT_EQ(out.command->verb, Verb::Option);
        EXPECT_EQ(out.command->option, c.option);
        EXPECT_EQ(out.command->optionValue, c.value);
    }
    EXPECT_EQ(FormatOption(popyo::opSkipCloaked, 1), "skip_cloaked 1");
    EXPECT_EQ(FormatOption(popyo::opQuietOverFullscreen, 0, 1), "quiet_over_fullscreen 0 (was 1)");
}

struct ErrorCase {
    Args args;
    const char* says;
};

constexpr ErrorCase kErrorCases[] = {
    {{"register", "up", "0x1"}, "bad edge 'up'"},
    {{"register", "0", "0x1"}, "bad edge '0'"},
    {{"pop", "5"}, "bad edge '5'"},
    {{"pop"}, "EDGE"},
    {{"pop", "left", "extra"}, "extra"},
    {{"hide", "0"}, "bad window '0'"},
    {{"hide", "0x100000000"}, "bad window"},
    {{"hide", "-5"}, "-5"},
    {{"hide", "12ab"}, "bad window '12ab'"},
    {{"hide", "title="}, "bad window 'title='"},
    {{"hide", "0x"}, "bad window '0x'"},
    {{"home", "0x1", "2"}, "bad home value '2'"},
    {{"owner", "0x1"}, "FRONTEND"},
    {{"detach"}, "FRONTEND"},
    {{"run"}, "RULES"},
    {{"run", "left=class=Notepad"}, "bad rule 'left=class=Notepad'"},
    {{"run", "left:Notepad"}, "bad rule"},
    {{"run", "middle:class=X"}, "bad rule"},
    {{"run", "left:0x1234"}, "bad rule"},
    {{"run", "left:exe="}, "bad rule 'left:exe='"},
    {{"run", "left:program=x.exe"}, "bad rule"},
    {{"run", "left:class=A", "left:foreground"}, "bad rule 'left:foreground'"},
    {{"option"}, "NAME"},
    {{"option", "skip_cloacked"}, "unknown option 'skip_cloacked': use skip_cloaked, "},
    {{"option", "skip_cloaked", "2"}, "bad value '2' for skip_cloaked: use 0 to 1"},
    {{"option", "skip_cloaked", "-1"}, "bad value '-1'"},
    {{}, "no verb given"},
    {{"frobnicate"}, "unknown verb 'frobnicate'"},
};

TEST(PopyctlParse, ErrorsAreOneLineAndExitWithUsage) {
    for (const ErrorCase& c : kErrorCases) {
        SCOPED_TRACE(c.says);
        const ParseOutcome out = ParseCommandLine(ToVector(c.args));
        EXPECT_FALSE(out.command.has_value());
        EXPECT_EQ(out.exitCode, kExitUsage);
        EXPECT_TRUE(out.error.starts_with("popyctl: ")) << out.error;
        EXPECT_NE(out.error.find(c.says), std::string::npos) << out.error;
        EXPECT_EQ(out.error.find('\n'), std::string::npos) << out.error;
        EXPECT_TRUE(out.output.empty());
    }
}

TEST(PopyctlParse, HelpListsEveryVerbAndHowToNameThings) {
    const ParseOutcome out = ParseCommandLine({"--help"});
    EXPECT_FALSE(out.command.has_value());
    EXPECT_EQ(out.exitCode, kExitOk);
    EXPECT_TRUE(out.error.empty());
    for (const char* word : {"register", "release", "owner",  "pop",        "hide-all", "hide",
                             "pin",      "unpin",   "home",   "query",      "classify", "settings",
                             "detach",   "run",     "rescue", "watch",      "option",   "WINDOW",
                             "FRONTEND", "EDGE",    "RULE",   "Exit status"}) {
        EXPECT_NE(out.output.find(word), std::string::npos) << word;
    }
    const ParseOutcome run = ParseCommandLine({"run", "--help"});
    EXPECT_EQ(run.exitCode, kExitOk);
    EXPECT_NE(run.output.find("RULES"), std::string::npos) << run.output;
}

// The installer and support requests rely on this line: the name, one space, the version.
TEST(PopyctlParse, VersionIsOneLineWithTheBuildsVersion) {
    const ParseOutcome out = ParseCommandLine({"--version"});
    EXPECT_FALSE(out.command.has_value());
    EXPECT_EQ(out.exitCode, kExitOk);
    EXPECT_EQ(out.output, std::string("popyctl ") + POPYO_VERSION + "\n");
    EXPECT_TRUE(out.error.empty());
}

TEST(PopyctlWords, NameStatusEdgeAndClassifyCodes) {
    const char* const statuses[] = {"not registered", "hiding", "leaving",   "showing",
                                    "hidden",         "shown",  "minimized", "status 7"};
    for (std::uint32_t s = 0; s < std::size(statuses); ++s) {
        EXPECT_EQ(StatusWord(s), statuses[s]);
    }
    const char* const edges[] = {"none", "left", "top", "bottom", "right", "edge 5"};
    for (std::uint32_t e = 0; e < std::size(edges); ++e) {
        EXPECT_EQ(EdgeWord(e), edges[e]);
    }
    for (std::uint32_t code = 0; code <= 7; ++code) {
        EXPECT_TRUE(ClassifyWord(code).starts_with(std::to_string(code) + ": "));
    }
    EXPECT_EQ(ClassifyWord(4), "4: another attached front-end");
    EXPECT_EQ(ClassifyWord(7), "7: unknown code");
}

TEST(PopyctlWords, QueryAnswersReadAsWords) {
    EXPECT_EQ(FormatQuery({}), "status: not registered\nedge: none\npinned: no\nhome: none\n");
    EXPECT_EQ(FormatQuery({4, 3, 1, 0}),
              "status: hidden\nedge: bottom\npinned: yes\n"
              "home: 0 (slides out as far as the screen edge)\n");
    EXPECT_EQ(FormatQuery({5, 1, 0, 1}).substr(0, 14), "status: shown\n");
    EXPECT_EQ(DescribeSpec({Kind::Handle, 0x1002A, ""}), "0x0001002A");
    EXPECT_EQ(DescribeSpec({Kind::Class, 0, "Notepad"}), "class=Notepad");
}

TopWindow Window(Hwnd handle, const char* title, const char* cls, bool visible = true) {
    TopWindow w;
    w.handle = handle;
    w.title = title;
    w.className = cls;
    w.rect = {0, 0, 100, 100};
    w.visible = visible;
    return w;
}

TEST(PopyctlWindows, NamesPickVisibleWindowsFirstAndClassesIgnoreCase) {
    const std::vector<TopWindow> windows = {
        Window(1, "Untitled - Notepad", "Notepad", false),
        Window(2, "Untitled - Notepad", "Notepad"),
        Window(3, "Calculator", "CalcFrame"),
    };
    EXPECT_EQ(PickWindow({Kind::Class, 0, "notepad"}, windows), 2u);
    EXPECT_EQ(PickWindow({Kind::Title, 0, "Untitled - Notepad"}, windows), 2u);
    EXPECT_EQ(PickWindow({Kind::Title, 0, "calculator"}, windows), std::nullopt);
    EXPECT_EQ(PickWindow({Kind::Title, 0, "Calc"}, windows), std::nullopt);
    EXPECT_EQ(PickWindow({Kind::Class, 0, "CalcFrame"}, {windows[0], windows[2]}), 3u);
    EXPECT_EQ(PickWindow({Kind::Class, 0, "Notepad"}, {windows[0]}), 1u);
}

struct RescueCase {
    const char* what;
    TRect desktop;
    TRect window;
    bool visible;
    bool minimized;
    std::optional<TPoint> to;
};

constexpr TRect kScreen = {0, 0, 1920, 1080};

const RescueCase kRescueCases[] = {
    {"wholly left", kScreen, {-800, 100, 0, 700}, true, false, TPoint{0, 100}},
    {"wholly right", kScreen, {1920, 100, 2720, 700}, true, false, TPoint{1120, 100}},
    {"wholly above", kScreen, {100, -600, 900, 0}, true, false, TPoint{100, 0}},
    {"wholly below", kScreen, {100, 1080, 900, 1680}, true, false, TPoint{100, 480}},
    {"beyond a corner", kScreen, {-800, 1500, -10, 2000}, true, false, TPoint{0, 580}},
    {"one pixel showing", kScreen, {-799, 100, 1, 700}, true, false, std::nullopt},
    {"inside", kScreen, {10, 10, 500, 500}, true, false, std::nullopt},
    {"partly above", kScreen, {10, -300, 500, 20}, true, false, std::nullopt},
    {"minimized", kScreen, {-32000, -32000, -31840, -31969}, true, true, std::nullopt},
    {"invisible", kScreen, {-800, 100, 0, 700}, false, false, std::nullopt},
    {"no area", kScreen, {-100, -100, -100, -100}, true, false, std::nullopt},
    {"wider than the desktop", kScreen, {2000, 0, 5000, 500}, true, false, TPoint{0, 0}},
    {"far at the end of the range",
     kScreen,
     {INT_MAX - 647, 0, INT_MAX, 100},
     true,
     false,
     TPoint{1273, 0}},
    {"monitor left of the primary",
     {-1280, 0, 1920, 1080},
     {-2000, 0, -1300, 500},
     true,
     false,
     TPoint{-1280, 0}},
    {"on the monitor left of the primary",
     {-1280, 0, 1920, 1080},
     {-1000, 0, -300, 500},
     true,
     false,
     std::nullopt},
};

TEST(PopyctlRescue, WindowsWhollyOutsideComeBackAcrossTheNearestEdge) {
    for (const RescueCase& c : kRescueCases) {
        SCOPED_TRACE(c.what);
        TopWindow w = Window(7, "lost", "X", c.visible);
        w.rect = c.window;
        w.minimized = c.minimized;
        EXPECT_EQ(RescuePosition(w, MonitorList{c.desktop}), c.to);
    }
}

TEST(PopyctlRescue, PlanListsOnlyLostWindowsInOrder) {
    TopWindow lost = Window(9, "Untitled - Notepad", "Notepad");
    lost.rect = {-800, 100, 0, 700};
    TopWindow shown = Window(8, "Calculator", "CalcFrame");
    TopWindow alsoLost = Window(10, "B", "B");
    alsoLost.rect = {0, 2000, 10, 2010};
    const std::vector<Rescue> plan = PlanRescue({lost, shown, alsoLost}, MonitorList{kScreen});
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(FormatRescue(plan[0]),
              "moved 0x00000009 \"Untitled - Notepad\" from (-800,100)-(0,700) to (0,100)");
    EXPECT_EQ(plan[1].handle, 10u);
    EXPECT_EQ(plan[1].to, (TPoint{0, 1070}));
    EXPECT_TRUE(PlanRescue({lost}, MonitorList{}).empty());
}

// With several monitors "lost" means shown by none, also inside their bounding box; a lost
// window comes back onto the nearest monitor, and a put-back home no monitor shows moves onto
// the nearest.
TEST(PopyctlRescue, SeveralMonitors) {
    const MonitorList monitors{{0, 0, 1920, 1080}, {1920, 0, 4480, 1440}};
    struct Case {
        const char* what;
        TRect window;
        std::optional<TPoint> rescuedTo;
        TPoint putBackAt;
    };
    constexpr Case kCases[] = {
        {"on A", {100, 100, 500, 400}, std::nullopt, {100, 100}},
        {"across both", {1800, 100, 2200, 400}, std::nullopt, {1800, 100}},
        {"below A, inside the box", {100, 1100, 500, 1400}, TPoint{100, 780}, {100, 780}},
        {"right of B", {4600, 100, 5000, 400}, TPoint{4080, 100}, {4080, 100}},
        {"left of A", {-500, 1200, -100, 1300}, TPoint{0, 980}, {0, 980}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        TopWindow w = Window(7, "lost", "X");
        w.rect = c.window;
        EXPECT_EQ(RescuePosition(w, monitors), c.rescuedTo);
        EXPECT_EQ(PutBackPosition(c.window, monitors), c.putBackAt);
    }
}

TEST(PopyctlWatch, ALineTellsTimeStatusAndPlace) {
    EXPECT_EQ(FormatWatch(1250, {1, {-300, 0, 726, 769}}), "1250 ms: hiding at (-300,0)-(726,769)");
    EXPECT_EQ(FormatWatch(0, {}), "0 ms: not registered at (0,0)-(0,0)");
}

}  // namespace
}  // namespace popyctl
