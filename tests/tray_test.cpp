// The tray's decisions, without a window manager: its rules file, hotkey strings, command
// line, menu and tooltip, and what a tuck key or a changed rule set does to a held window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontends/tray/Holdings.h"
#include "frontends/tray/RulesFile.h"
#include "frontends/tray/TrayCommandLine.h"
#include "frontends/tray/TrayMenu.h"
#include "frontends/tray/TrayTexts.h"

namespace popyo::tray {
namespace {

using frontend::Rule;
using frontend::TopWindow;
using frontend::WindowMatch;

constexpr std::uint32_t kCAS = kModControl | kModAlt | kModShift;

// ---- Rules file ----

TEST(TrayRulesFile, ReadsHotkeysAndWindowEntriesInFileOrder) {
    const RulesParse parsed = ParseRulesFile(R"(
[hotkeys]
left = "Win+Alt+A"
release_all = ""

[[window]]
edge = "left"
exe = "notepad.exe"

[[window]]
edge = "Right"
class = "CalcFrame"
title_contains = "電卓"
title = "電卓 - 1"
)");
    ASSERT_TRUE(parsed.config.has_value()) << parsed.error.reason;
    const std::vector<Rule> expected = {
        {edLeft, WindowMatch{.exe = "notepad.exe"}},
        {edRight, WindowMatch{"CalcFrame", "電卓 - 1", "電卓", std::nullopt}},
    };
    EXPECT_EQ(parsed.config->rules, expected);
    HotkeySet hotkeys = DefaultHotkeys();
    hotkeys[0] = Hotkey{kModWin | kModAlt, 'A'};
    hotkeys[4].reset();
    EXPECT_EQ(parsed.config->hotkeys, hotkeys);
}

// The language under [tray]: the tray's own choice, and the engine's too.
TEST(TrayRulesFile, TrayTableChoosesTheLanguage) {
    struct Case {
        const char* text;
        std::int32_t language;
    };
    constexpr Case kCases[] = {{"", lnFollowWindows},
                               {"[tray]\nlanguage = \"ja\"\n", lnJapanese},
                               {"[tray]\nlanguage = \"EN\"\n", lnEnglish}};
    for (const Case& c : kCases) {
        const RulesParse parsed = ParseRulesFile(c.text);
        ASSERT_TRUE(parsed.config.has_value()) << parsed.error.reason;
        EXPECT_EQ(parsed.config->language, c.language);
        EXPECT_EQ(parsed.config->engineOptions.back(), (OptionValue{opLanguage, c.language}));
    }
}

// Left out, an option keeps the tray's own default; given, the file's value.
TEST(TrayRulesFile, EngineTableSetsTheOptionsByName) {
    const std::vector<OptionValue> defaults = {{opSkipCloaked, 1},
                                               {opQuietOverFullscreen, 1},
                                               {opAlignVisibleFrame, 1},
                                               {opSlideFrames, 3},
                                               {opLanguage, lnFollowWindows}};
    EXPECT_EQ(TrayOptionDefaults(), defaults);
    const RulesParse parsed =
        ParseRulesFile("[engine]\nquiet_over_fullscreen = false\nslide_frames = 8\n");
    ASSERT_TRUE(parsed.config.has_value()) << parsed.error.reason;
    const std::vector<OptionValue> expected = {{opSkipCloaked, 1},
                                               {opQuietOverFullscreen, 0},
                                               {opAlignVisibleFrame, 1},
                                               {opSlideFrames, 8},
                                               {opLanguage, lnFollowWindows}};
    EXPECT_EQ(parsed.config->engineOptions, expected);
}

TEST(TrayRulesFile, TheTemplateAndAnEmptyFileChangeNothing) {
    for (const std::string_view text :
         {RulesTemplate(), std::string_view(), std::string_view("\xEF\xBB\xBF")}) {
        const RulesParse parsed = ParseRulesFile(text);
        ASSERT_TRUE(parsed.config.has_value()) << parsed.error.reason;
        EXPECT_TRUE(parsed.config->rules.empty());
        EXPECT_EQ(parsed.config->hotkeys, DefaultHotkeys());
        EXPECT_EQ(parsed.config->engineOptions, TrayOptionDefaults());
    }
}

struct ErrorCase {
    const char* what;
    const char* text;
    std::uint32_t line;
    std::uint32_t column;
    const char* says;
};

const ErrorCase kErrorCases[] = {
    {"not TOML", "[[window]]\nedge = left\n", 2, 8, ""},
    {"unclosed string", "[[window]]\nedge = \"left\nexe = \"a\"\n", 2, 13, ""},
    {"unknown table", "[hotkey]\nleft = \"Ctrl+Alt+L\"\n", 1, 2, "unknown key 'hotkey'"},
    {"unknown key in a window entry", "[[window]]\nedge = \"left\"\n  titel = \"x\"\n", 3, 3,
     "unknown key 'titel' in a [[window]] entry"},
    {"edge not a string", "[[window]]\nedge = 3\nexe = \"a.exe\"\n", 2, 8,
     "'edge' must be a string"},
    {"exe not a string", "[[window]]\nedge = \"top\"\nexe = [\"a.exe\"]\n", 3, 7,
     "'exe' must be a string"},
    {"bad edge name", "[[window]]\nexe = \"a.exe\"\nedge = \"middle\"\n", 3, 8,
     "bad edge name 'middle'"},
    {"empty class", "[[window]]\nedge = \"top\"\nclass = \"\"\n", 3, 9, "must not be empty"},
    {"no edge", "\n[[window]]\nexe = \"a.exe\"\n", 2, 1, "needs an edge"},
    {"nothing to match", "[[window]]\nedge = \"left\"\n", 1, 1, "needs at least one of"},
    {"a single [window] table", "[window]\nedge = \"left\"\nexe = \"a\"\n", 1, 1,
     "must be [[window]] entries"},
    {"hotkeys not a table", "hotkeys = \"Ctrl+Alt+L\"\n", 1, 11, "must be a [hotkeys] table"},
    {"unknown hotkey", "[hotkeys]\nleft = \"Ctrl+Alt+L\"\nup = \"Ctrl+Alt+U\"\n", 3, 1,
     "unknown hotkey 'up'"},
    {"hotkey not a string", "[hotkeys]\nleft = 37\n", 2, 8, "must be a string"},
    {"bad hotkey", "[hotkeys]\ntop = \"Ctrl+Alt+Upp\"\n", 2, 7, "unknown key 'Upp'"},
    {"one key for two actions", "[hotkeys]\nright = \"Ctrl+Alt+R\"\nleft = \"alt+ctrl+r\"\n", 3, 8,
     "Ctrl+Alt+R is given to two actions"},
    {"a default key given to another action", "[hotkeys]\nleft = \"Ctrl+Alt+Shift+Right\"\n", 2, 8,
     "Ctrl+Alt+Shift+Right is given to two actions"},
    {"unknown engine option", "[engine]\nskip_cloacked = true\n", 2, 1,
     "unknown key 'skip_cloacked' in [engine] (use skip_cloaked, "},
    {"engine option not a boolean", "[engine]\nalign_visible_frame = 1\n", 2, 23,
     "'align_visible_frame' must be true or false"},
    {"engine not a table", "engine = true\n", 1, 10, "must be an [engine] table"},
    {"the language in [engine]", "[engine]\nlanguage = 2\n", 2, 1, "unknown key 'language'"},
    {"an unknown language", "[tray]\nlanguage = \"de\"\n", 2, 12,
     "'language' must be \"en\" or \"ja\""},
    {"unknown key in [tray]", "[tray]\nlang = \"ja\"\n", 2, 1, "unknown key 'lang' in [tray]"},
    {"frames out of range", "[engine]\nslide_frames = 9\n", 2, 16,
     "'slide_frames' must be a whole number from 1 to 8"},
    {"frames not a number", "[engine]\nslide_frames = true\n", 2, 16,
     "'slide_frames' must be a whole number"},
    {"the earliest of several faults", "[[window]]\nedge = \"x\"\n[[window]]\nedge = 1\n", 2, 8,
     "bad edge name 'x'"},
};

TEST(TrayRulesFile, AFaultIsReportedWithItsLineColumnAndReason) {
    for (const ErrorCase& c : kErrorCases) {
        SCOPED_TRACE(c.what);
        const RulesParse parsed = ParseRulesFile(c.text);
        ASSERT_FALSE(parsed.config.has_value());
        EXPECT_EQ(parsed.error.line, c.line);
        EXPECT_EQ(parsed.error.column, c.column);
        EXPECT_NE(parsed.error.reason.find(c.says), std::string::npos) << parsed.error.reason;
        EXPECT_FALSE(parsed.error.reason.empty());
    }
}

TEST(TrayRulesFile, AFaultReadsAsOneLine) {
    EXPECT_EQ(FormatRulesError("PopyoTray_me.toml", {3, 8, "bad edge name 'x'"}),
              "PopyoTray_me.toml, line 3, column 8: bad edge name 'x'");
}

// ---- Hotkeys ----

struct HotkeyCase {
    const char* text;
    std::uint32_t modifiers;
    std::uint32_t key;
    const char* formatted;
};

const HotkeyCase kHotkeyCases[] = {
    {"Ctrl+Alt+Shift+Left", kCAS, 0x25, "Ctrl+Alt+Shift+Left"},
    {"shift + alt + CONTROL + up", kCAS, 0x26, "Ctrl+Alt+Shift+Up"},
    {"Win+Alt+a", kModWin | kModAlt, 'A', "Alt+Win+A"},
    {"Windows+7", kModWin, '7', "Win+7"},
    {"Ctrl+F12", kModControl, 0x7B, "Ctrl+F12"},
    {"F24", 0, 0x87, "F24"},
    {"Shift+Pause", kModShift, 0x13, "Shift+Pause"},
    {"Ctrl+Alt+PgDn", kModControl | kModAlt, 0x22, "Ctrl+Alt+PageDown"},
    {"Ctrl+Alt+Num0", kModControl | kModAlt, 0x60, "Ctrl+Alt+Num0"},
    {"Alt+Plus", kModAlt, 0xBB, "Alt+Plus"},
    {"Ctrl+Alt+Shift+Home", kCAS, 0x24, "Ctrl+Alt+Shift+Home"},
};

TEST(TrayHotkeys, StringsTurnIntoModifiersAndKeyCodesAndBack) {
    for (const HotkeyCase& c : kHotkeyCases) {
        SCOPED_TRACE(c.text);
        const HotkeyParse parsed = ParseHotkey(c.text);
        ASSERT_TRUE(parsed.hotkey.has_value()) << parsed.error;
        EXPECT_EQ(*parsed.hotkey, (Hotkey{c.modifiers, c.key}));
        EXPECT_EQ(FormatHotkey(*parsed.hotkey), c.formatted);
        EXPECT_EQ(ParseHotkey(c.formatted).hotkey, parsed.hotkey);
    }
}

TEST(TrayHotkeys, BadStringsSayWhatIsWrong) {
    const std::pair<const char*, const char*> kCases[] = {
        {"", "no key"},
        {"Ctrl+Alt+", "no key"},
        {"Ctrl++Left", "empty part"},
        {"Ctrl+Ctrl+Left", "given twice"},
        {"Hyper+Left", "unknown modifier 'Hyper'"},
        {"Ctrl+Alt+F25", "unknown key 'F25'"},
        {"Ctrl+Left+Alt", "unknown modifier 'Left'"},
        {"Ctrl+Alt", "unknown key 'Alt'"},
        {"Left", "needs Ctrl, Alt or Win"},
        {"Shift+A", "needs Ctrl, Alt or Win"},
    };
    for (const auto& [text, says] : kCases) {
        const HotkeyParse parsed = ParseHotkey(text);
        EXPECT_FALSE(parsed.hotkey.has_value()) << text;
        EXPECT_NE(parsed.error.find(says), std::string::npos) << text << ": " << parsed.error;
    }
}

TEST(TrayHotkeys, DefaultsAreDistinctAndLeaveTheShellsKeysAlone) {
    const HotkeySet defaults = DefaultHotkeys();
    for (std::size_t i = 0; i < defaults.size(); ++i) {
        ASSERT_TRUE(defaults[i].has_value());
        // Win with arrows snaps and moves windows; Ctrl+Win+Left/Right switch desktops.
        EXPECT_EQ(defaults[i]->modifiers & kModWin, 0u);
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NE(defaults[i], defaults[j]);
        }
    }
    EXPECT_EQ(ActionEdge(HotkeyAction::TuckBottom), edBottom);
    EXPECT_EQ(FormatHotkey(*defaults[static_cast<std::size_t>(HotkeyAction::TuckBottom)]),
              "Ctrl+Alt+Shift+Down");
}

// ---- Command line ----

TEST(TrayCommandLine, ModesAndTheRulesFile) {
    struct Case {
        std::vector<std::string> args;
        std::optional<TrayMode> mode;  // nothing: an error
        std::optional<std::string> rules;
    };
    const Case kCases[] = {
        {{}, TrayMode::Run, std::nullopt},
        {{"--exit"}, TrayMode::Exit, std::nullopt},
        {{"--version"}, TrayMode::Version, std::nullopt},
        {{"/?"}, TrayMode::Help, std::nullopt},
        {{"--rules", "D:\\規則.toml"}, TrayMode::Run, "D:\\規則.toml"},
        {{"--rules=r.toml"}, TrayMode::Run, "r.toml"},
        {{"--rules"}, std::nullopt, std::nullopt},
        {{"--rules="}, std::nullopt, std::nullopt},
        {{"--rules", "a", "--rules", "b"}, std::nullopt, std::nullopt},
        {{"--exit", "--rules", "a"}, std::nullopt, std::nullopt},
        {{"--exit", "--version"}, std::nullopt, std::nullopt},
        {{"--start"}, std::nullopt, std::nullopt},
    };
    for (const Case& c : kCases) {
        const TrayCommandLine parsed = ParseTrayCommandLine(c.args);
        const std::string args = c.args.empty() ? "" : c.args[0];
        ASSERT_EQ(parsed.options.has_value(), c.mode.has_value()) << args;
        if (c.mode) {
            EXPECT_EQ(parsed.options->mode, *c.mode) << args;
            EXPECT_EQ(parsed.options->rulesFile, c.rules) << args;
        } else {
            EXPECT_TRUE(parsed.error.starts_with("PopyonnTray: ")) << parsed.error;
        }
    }
}

// ---- Menu and tooltip ----

Held HeldWindow(Hwnd handle, const char* title, Edge edge) {
    Held held;
    held.handle = handle;
    held.title = title;
    held.edge = edge;
    return held;
}

TEST(TrayMenu, OneEntryPerHeldWindowThenTheCommands) {
    MenuState state;
    state.canTuck = true;
    state.startWithWindows = true;
    state.hotkeys = DefaultHotkeys();
    const std::vector<MenuItem> menu =
        BuildTrayMenu({HeldWindow(1, "Tom & Jerry", edLeft), HeldWindow(2, "", edBottom)}, state);
    ASSERT_EQ(menu.size(), 11u);
    EXPECT_EQ(menu[0].text, "Tom && Jerry\tleft");
    ASSERT_EQ(menu[0].children.size(), 2u);
    EXPECT_EQ(menu[0].children[0].id, kCmdFirstWindow);
    EXPECT_EQ(menu[1].text, "(untitled)\tbottom");
    EXPECT_EQ(menu[1].children[1].id, kCmdFirstWindow + 3);
    EXPECT_TRUE(menu[2].Separator());
    EXPECT_TRUE(menu[3].enabled);
    ASSERT_EQ(menu[3].children.size(), 4u);
    EXPECT_EQ(menu[3].children[2].id, kCmdTuckBottom);
    EXPECT_EQ(menu[3].children[2].text, "&Bottom\tCtrl+Alt+Shift+Down");
    EXPECT_EQ(menu[4].id, kCmdReleaseAll);
    EXPECT_TRUE(menu[4].enabled);
    EXPECT_EQ(menu[6].text, "&Settings…");
    EXPECT_EQ(menu[8].id, kCmdStartWithWindows);
    EXPECT_TRUE(menu[8].checked);
    EXPECT_EQ(menu[10].id, kCmdExit);
}

TEST(TrayMenu, WithNothingHeldOrNothingActiveThoseEntriesAreGrey) {
    const std::vector<MenuItem> menu = BuildTrayMenu({}, MenuState{});
    EXPECT_FALSE(menu[0].enabled);
    EXPECT_EQ(menu[0].id, 0u);
    EXPECT_FALSE(menu[2].enabled);  // Tuck the active window
    EXPECT_FALSE(menu[3].enabled);  // Release all
    EXPECT_EQ(menu[2].children[0].text, "&Left");
    EXPECT_FALSE(menu[7].checked);
}

TEST(TrayMenu, WindowCommandsDecodeOnlyForHeldWindows) {
    EXPECT_EQ(DecodeWindowCommand(kCmdFirstWindow, 1)->index, 0u);
    EXPECT_FALSE(DecodeWindowCommand(kCmdFirstWindow, 1)->release);
    EXPECT_TRUE(DecodeWindowCommand(kCmdFirstWindow + 5, 3)->release);
    EXPECT_EQ(DecodeWindowCommand(kCmdFirstWindow + 5, 3)->index, 2u);
    EXPECT_FALSE(DecodeWindowCommand(kCmdFirstWindow + 6, 3));
    EXPECT_FALSE(DecodeWindowCommand(kCmdExit, 3));
}

TEST(TrayMenu, LongTitlesAreCutBetweenCharacters) {
    EXPECT_EQ(MenuTitle("abcdef", 3), "abc…");
    EXPECT_EQ(MenuTitle("abc", 3), "abc");
    // Three bytes per character: a cut by bytes would leave half a character.
    EXPECT_EQ(MenuTitle("メモ帳のメモ", 4), "メモ帳の…");
    EXPECT_EQ(MenuTitle("a&b\tc", 10), "a&&b c");
}

TEST(TrayMenu, TheTooltipCountsTheWindows) {
    EXPECT_EQ(TooltipText(0, Language::English), "PopyonnEngine: no windows tucked away");
    EXPECT_EQ(TooltipText(1, Language::English), "PopyonnEngine: 1 window tucked away");
    EXPECT_EQ(TooltipText(3, Language::English), "PopyonnEngine: 3 windows tucked away");
    EXPECT_EQ(TooltipText(3, Language::Japanese),
              "PopyonnEngine: 3 個のウインドウをしまっています");
}

// The same menu in Japanese: every entry's words, the access keys kept, the hotkeys as they
// are written in the rules file.
TEST(TrayMenu, InJapanese) {
    MenuState state;
    state.language = Language::Japanese;
    state.hotkeys = DefaultHotkeys();
    const std::vector<MenuItem> menu = BuildTrayMenu({HeldWindow(1, "", edRight)}, state);
    EXPECT_EQ(menu[0].text, "（無題）\t右");
    EXPECT_EQ(menu[0].children[0].text, "出す(&P)");
    EXPECT_EQ(menu[2].text, "アクティブなウインドウをしまう(&T)");
    EXPECT_EQ(menu[2].children[0].text, "左(&L)\tCtrl+Alt+Shift+Left");
    EXPECT_EQ(menu[3].text, "すべて元に戻す(&A)\tCtrl+Alt+Shift+Home");
    EXPECT_EQ(menu[9].text, "終了(&X)");
    EXPECT_EQ(ActionWords(HotkeyAction::TuckTop, Language::Japanese), "上端でしまう・元に戻す");
}

// Every text in both languages, and each placeholder of the English text in the Japanese one.
TEST(TrayTexts, EveryTextHasBothLanguages) {
    for (int i = 0; i < static_cast<int>(TrayText::Count); ++i) {
        const TextPair text = TrayTextPair(static_cast<TrayText>(i));
        EXPECT_FALSE(text.en.empty()) << i;
        EXPECT_FALSE(text.ja.empty()) << i;
        for (const std::string_view mark : {"{0}", "{1}"}) {
            EXPECT_EQ(text.en.find(mark) == std::string_view::npos,
                      text.ja.find(mark) == std::string_view::npos)
                << i << " " << mark;
        }
    }
    EXPECT_EQ(Say(TrayText::RulesNotOpened, Language::Japanese, {"a.toml", "x"}),
              "ルールファイル a.toml を開けませんでした: x");
}

// ---- Holdings ----

TEST(TrayHoldings, ATuckKeyTakesMovesOrReleases) {
    const Held left = HeldWindow(5, "w", edLeft);
    EXPECT_EQ(PlanTuck(nullptr, edLeft), TuckStep::Take);
    EXPECT_EQ(PlanTuck(&left, edLeft), TuckStep::Release);
    EXPECT_EQ(PlanTuck(&left, edTop), TuckStep::MoveEdge);
}

TEST(TrayHoldings, TakingAgainKeepsTheFirstHomeAndLettingGoForgets) {
    Holdings holdings;
    Held first = HeldWindow(5, "w", edLeft);
    first.home = {10, 20, 110, 120};
    holdings.Take(first);
    Held again = HeldWindow(5, "w2", edRight);
    again.home = {-500, 20, -400, 120};
    holdings.Take(again);
    ASSERT_EQ(holdings.All().size(), 1u);
    EXPECT_EQ(holdings.Find(5)->home, first.home);
    EXPECT_EQ(holdings.Find(5)->edge, edRight);
    EXPECT_EQ(holdings.LastEdge(), edRight);
    holdings.LetGo(5);
    EXPECT_EQ(holdings.Find(5), nullptr);
    EXPECT_TRUE(holdings.IsLetGo(5));
    holdings.Take(first);
    EXPECT_FALSE(holdings.IsLetGo(5));
    holdings.LetGo(5);
    holdings.Take(HeldWindow(6, "x", edTop));
    holdings.Take(HeldWindow(7, "y", edTop));
    // 5 and 6 still exist, but the engine holds only 7 now.
    holdings.Prune([](Hwnd) { return true; }, [](Hwnd h) { return h == 7; });
    EXPECT_TRUE(holdings.IsLetGo(5));
    ASSERT_EQ(holdings.All().size(), 1u);
    EXPECT_EQ(holdings.All()[0].handle, 7u);
    holdings.Prune([](Hwnd) { return false; }, [](Hwnd) { return true; });
    EXPECT_FALSE(holdings.IsLetGo(5));
    EXPECT_TRUE(holdings.Empty());
}

TEST(TrayHoldings, AChangedRuleSetKeepsMovesOrReleasesWhatRulesTook) {
    TopWindow notepad;
    notepad.title = "メモ";
    notepad.className = "Notepad";
    notepad.exe = "notepad.exe";
    // Hidden beyond its edge or minimized, it is still the window its rule named.
    notepad.minimized = true;
    const Rule byExe{edLeft, {.exe = "notepad.exe"}};
    const Rule byClassAtTop{edTop, {.className = "notepad"}};
    const Rule other{edLeft, {.exe = "calc.exe"}};
    Held byRule = HeldWindow(5, "メモ", edLeft);
    byRule.rule = byExe;
    const Held byHand = HeldWindow(6, "メモ", edLeft);

    using Kind = ReloadStep::Kind;
    struct Case {
        const char* what;
        const Held* held;
        std::vector<Rule> rules;
        Kind kind;
    };
    const Case kCases[] = {
        {"the same rule", &byRule, {other, byExe}, Kind::Keep},
        {"another rule at the same edge", &byRule, {{edLeft, {.title = "メモ"}}}, Kind::Keep},
        {"another rule at another edge", &byRule, {byClassAtTop, byExe}, Kind::MoveEdge},
        {"no rule names it", &byRule, {other}, Kind::Release},
        {"no rules at all", &byRule, {}, Kind::Release},
        {"taken by hand", &byHand, {}, Kind::Keep},
    };
    for (const Case& c : kCases) {
        const ReloadStep step = PlanReload(*c.held, notepad, c.rules);
        EXPECT_EQ(step.kind, c.kind) << c.what;
        if (c.kind == Kind::MoveEdge) {
            EXPECT_EQ(step.rule, byClassAtTop) << c.what;
        }
    }
}

}  // namespace
}  // namespace popyo::tray
