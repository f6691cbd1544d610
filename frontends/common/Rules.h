// Rules that take windows to an edge: a window matches when every field the rule gives
// matches it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/common/TopWindow.h"
#include "protocol/PopyoDef.h"

namespace popyo::frontend {

struct WindowMatch {
    std::optional<std::string> className = {};      // whole class name, any letter case
    std::optional<std::string> title = {};          // whole title, exactly
    std::optional<std::string> titleContains = {};  // part of the title, exactly
    std::optional<std::string> exe = {};            // process image name, any letter case
    bool Empty() const { return !className && !title && !titleContains && !exe; }
    friend bool operator==(const WindowMatch&, const WindowMatch&) = default;
};

struct Rule {
    Edge edge = edNone;
    WindowMatch match;
    friend bool operator==(const Rule&, const Rule&) = default;
};

// False for a match that gives no field at all: it must never take every window.
bool Matches(const WindowMatch& match, const TopWindow& window);

// The first rule that names the window, whatever state the window is in.
const Rule* RuleFor(const std::vector<Rule>& rules, const TopWindow& window);

// The edge of the first rule that names the window, for a window a front-end may take now.
std::optional<Edge> EdgeFor(const std::vector<Rule>& rules, const TopWindow& window);

// Whether any rule names a program: only then need a scan ask each window's process.
bool NamesAProgram(const std::vector<Rule>& rules);

// "class=Notepad exe=notepad.exe", in a fixed field order.
std::string DescribeMatch(const WindowMatch& match);

// Windows compares class and file names without regard to case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace popyo::frontend
