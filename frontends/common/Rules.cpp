#include "frontends/common/Rules.h"

#include <algorithm>
#include <cctype>

namespace popyo::frontend {
namespace {

// "notepad" names notepad.exe too: people write program names without the extension.
bool SameExe(std::string_view wanted, std::string_view exe) {
    if (SameName(wanted, exe)) {
        return true;
    }
    const auto dot = exe.rfind('.');
    return wanted.find('.') == std::string_view::npos && dot != std::string_view::npos &&
           SameName(wanted, exe.substr(0, dot));
}

}  // namespace

bool NamesAProgram(const std::vector<Rule>& rules) {
    return std::any_of(rules.begin(), rules.end(),
                       [](const Rule& rule) { return rule.match.exe.has_value(); });
}

bool SameName(std::string_view a, std::string_view b) {
    // Letters beyond ASCII compare exactly: their case rules depend on the system's tables.
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool Matches(const WindowMatch& match, const TopWindow& window) {
    if (match.Empty()) {
        return false;
    }
    return (!match.className || SameName(*match.className, window.className)) &&
           (!match.title || *match.title == window.title) &&
           (!match.titleContains || window.title.find(*match.titleContains) != std::string::npos) &&
           (!match.exe || SameExe(*match.exe, window.exe));
}

const Rule* RuleFor(const std::vector<Rule>& rules, const TopWindow& window) {
    const auto it =
        std::ranges::find_if(rules, [&](const Rule& rule) { return Matches(rule.match, window); });
    return it != rules.end() ? &*it : nullptr;
}

std::optional<Edge> EdgeFor(const std::vector<Rule>& rules, const TopWindow& window) {
    // The engine refuses minimized windows; they are taken once they are restored.
    if (!window.visible || window.minimized) {
        return std::nullopt;
    }
    if (const Rule* rule = RuleFor(rules, window)) {
        return rule->edge;
    }
    return std::nullopt;
}

std::string DescribeMatch(const WindowMatch& match) {
    const std::pair<const char*, const std::optional<std::string>*> fields[] = {
        {"class=", &match.className},
        {"title=", &match.title},
        {"title_contains=", &match.titleContains},
        {"exe=", &match.exe},
    };
    std::string text;
    for (const auto& [name, value] : fields) {
        if (*value) {
            if (!text.empty()) {
                text += ' ';
            }
            text.append(name).append(**value);
        }
    }
    return text;
}

}  // namespace popyo::frontend
