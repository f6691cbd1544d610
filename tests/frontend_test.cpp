// What every front-end decides about windows: which rule takes a window, and at which edge.
#include <gtest/gtest.h>

#include <vector>

#include "frontends/common/Rules.h"

namespace popyo::frontend {
namespace {

TopWindow Window(const char* title, const char* cls, const char* exe) {
    TopWindow w;
    w.handle = 7;
    w.title = title;
    w.className = cls;
    w.exe = exe;
    w.rect = {0, 0, 100, 100};
    w.visible = true;
    return w;
}

struct MatchCase {
    const char* what;
    WindowMatch match;
    bool matches;
};

// Against a notepad window titled "*メモ - Notepad & Co", class "Notepad", notepad.exe.
const MatchCase kMatchCases[] = {
    {"class, other case", {.className = "NOTEPAD"}, true},
    {"class, part only", {.className = "Note"}, false},
    {"title, exactly", {.title = "*メモ - Notepad & Co"}, true},
    {"title, other case", {.title = "*メモ - notepad & co"}, false},
    {"title, part only", {.title = "Notepad"}, false},
    {"title contains, in the middle", {.titleContains = "メモ - Note"}, true},
    {"title contains, whole title", {.titleContains = "*メモ - Notepad & Co"}, true},
    {"title contains, other case", {.titleContains = "notepad"}, false},
    {"title contains, longer than the title", {.titleContains = "*メモ - Notepad & Co."}, false},
    {"exe, other case", {.exe = "NotePad.EXE"}, true},
    {"exe without its extension", {.exe = "notepad"}, true},
    {"exe with another extension", {.exe = "notepad.com"}, false},
    {"exe, another program", {.exe = "wordpad.exe"}, false},
    {"exe, a path", {.exe = "C:\\Windows\\notepad.exe"}, false},
    {"class and exe", {.className = "notepad", .exe = "notepad.exe"}, true},
    {"class and another exe", {.className = "Notepad", .exe = "wordpad.exe"}, false},
    {"all four", {"Notepad", "*メモ - Notepad & Co", "メモ", "notepad"}, true},
    {"all four, one wrong", {"Notepad", "*メモ - Notepad & Co", "Word", "notepad"}, false},
    {"nothing given never matches", {}, false},
};

TEST(FrontEndRules, EveryFieldGivenMustMatch) {
    const TopWindow notepad = Window("*メモ - Notepad & Co", "Notepad", "notepad.exe");
    for (const MatchCase& c : kMatchCases) {
        EXPECT_EQ(Matches(c.match, notepad), c.matches) << c.what;
    }
}

TEST(FrontEndRules, AnEmptyExeOrTitleMatchesOnlyWhatIsEmpty) {
    // A process the front-end may not ask has no image name; no rule names it by one.
    const TopWindow unknown = Window("", "Notepad", "");
    EXPECT_FALSE(Matches({.exe = "notepad.exe"}, unknown));
    EXPECT_TRUE(Matches({.className = "Notepad", .titleContains = ""}, unknown));
    EXPECT_TRUE(Matches({.title = ""}, unknown));
}

TEST(FrontEndRules, TheFirstMatchingRuleGivesTheEdgeOfAShownWindow) {
    const std::vector<Rule> rules = {
        {edRight, {.title = "Calculator"}},
        {edLeft, {.className = "CalcFrame"}},
        {edTop, {.exe = "calc.exe"}},
    };
    TopWindow calc = Window("Calculator", "CalcFrame", "calc.exe");
    EXPECT_EQ(EdgeFor(rules, calc), edRight);
    calc.title = "Other";
    EXPECT_EQ(EdgeFor(rules, calc), edLeft);
    EXPECT_EQ(RuleFor(rules, calc), &rules[1]);
    calc.className = "Other";
    EXPECT_EQ(EdgeFor(rules, calc), edTop);
    // Minimized or hidden windows are taken once they show again, yet keep their rule.
    calc.minimized = true;
    EXPECT_EQ(EdgeFor(rules, calc), std::nullopt);
    EXPECT_EQ(RuleFor(rules, calc), &rules[2]);
    calc.minimized = false;
    calc.visible = false;
    EXPECT_EQ(EdgeFor(rules, calc), std::nullopt);
    EXPECT_EQ(EdgeFor(rules, Window("Notepad", "Notepad", "notepad.exe")), std::nullopt);
    EXPECT_EQ(RuleFor({}, calc), nullptr);
}

TEST(FrontEndRules, AMatchReadsBackInFieldOrder) {
    EXPECT_EQ(DescribeMatch({.className = "Notepad", .exe = "notepad.exe"}),
              "class=Notepad exe=notepad.exe");
    EXPECT_EQ(DescribeMatch({"A", "B", "C", "D"}), "class=A title=B title_contains=C exe=D");
    EXPECT_EQ(DescribeMatch({}), "");
}

}  // namespace
}  // namespace popyo::frontend
