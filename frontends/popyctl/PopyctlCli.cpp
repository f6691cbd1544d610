#include "frontends/popyctl/PopyctlCli.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace popyctl {
namespace {

// A command line CLI11 accepts whose edge, window, home value or rule is bad.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr char kEdgeHint[] = "use left, top, bottom, right or 1 to 4";
constexpr char kWindowHint[] =
    "use a handle (0x1A2B or decimal), title=EXACT TITLE, class=CLASS or foreground";
constexpr char kRuleHint[] =
    "use EDGE:class=NAME, EDGE:title=EXACT TITLE or EDGE:exe=PROGRAM.exe, with EDGE left, top, "
    "bottom, right or 1 to 4";

constexpr char kFooter[] = R"(
WINDOW    a window handle (0x1A2B or decimal), title=EXACT TITLE, class=CLASS, or
          foreground. A title or class names the first visible window that has it
          (the first hidden one when no visible window has it).
FRONTEND  a window of an attached front-end, named like WINDOW; usually the handle that
          `popyctl run` prints when it starts. One-shot verbs have no window of their own,
          so the front-end is always named.
EDGE      left, top, bottom, right, or 1 to 4 in that order.
RULE      EDGE:class=NAME, EDGE:title=EXACT TITLE or EDGE:exe=PROGRAM.exe (the program's
          file name, any letter case), e.g. left:class=Notepad or right:exe=calc.exe.

`run` attaches a hidden window of its own, registers and owns every shown window a rule
names, also windows that appear later, and prints its front-end handle and each window it
takes. Ctrl+C, or closing its window, detaches it. Should the engine end without that
detach, `run` puts its windows back where they stood by itself.
Any detach ends the engine once it has put every registered window back.
`rescue` brings back windows a killed engine left beyond the edge.
`option` reads or sets an engine option by name: skip_cloaked, quiet_over_fullscreen,
align_visible_frame (each 0 or 1), slide_frames (1 to 8). Options last until the engine
ends; PopyonnTray sets its own.

Exit status: 0 done; 1 failed (engine not running, no such window, refused);
2 bad command line; 3 `run` saw the engine end without a detach and put its windows back.)";

// A rule may name a program, which names no single window and so is not a WINDOW.
constexpr std::string_view kExePrefix = "exe=";

// Which positionals a verb takes, in this order on the command line.
enum ArgSet : unsigned {
    kEdge = 1,
    kWindow = 2,
    kFrontEnd = 4,
    kOptionalFrontEnd = 8,
    kHomeValue = 16,
    kRules = 32,
    kOption = 64,  // NAME [VALUE]
};

struct VerbRow {
    Verb verb;
    const char* name;
    unsigned args;
    const char* description;
};

// Each description starts with the verb's arguments, since the verb list shows names only.
constexpr VerbRow kVerbs[] = {
    {Verb::Register, "register", kEdge | kWindow, "EDGE WINDOW: WINDOW slides away beyond EDGE"},
    {Verb::Release, "release", kWindow, "WINDOW: goes back to where it stood, released"},
    {Verb::Owner, "owner", kWindow | kFrontEnd,
     "WINDOW FRONTEND: the attached FRONTEND owns the registered WINDOW"},
    {Verb::Pop, "pop", kEdge, "EDGE: a window registered at EDGE slides out"},
    {Verb::HideAll, "hide-all", 0, "every registered window that is out slides away"},
    {Verb::Hide, "hide", kWindow, "WINDOW: the registered WINDOW slides away now"},
    {Verb::Pin, "pin", kWindow, "WINDOW: stays out (turns topmost when not registered)"},
    {Verb::Unpin, "unpin", kWindow,
     "WINDOW: may slide away again (not topmost when not registered)"},
    {Verb::Home, "home", kWindow | kHomeValue,
     "WINDOW 0|1: slides out to the screen edge (0) or where it stood (1)"},
    {Verb::Query, "query", kWindow, "WINDOW: prints its status, edge, pin and home"},
    {Verb::Classify, "classify", kWindow | kOptionalFrontEnd,
     "WINDOW [FRONTEND]: registered window? attached front-end? (of FRONTEND?)"},
    {Verb::Settings, "settings", 0, "opens the engine's settings dialog; returns when it closes"},
    {Verb::Detach, "detach", kFrontEnd, "FRONTEND: every window goes back and the engine ends"},
    {Verb::Run, "run", kRules, "RULE...: a front-end that takes every window a RULE names"},
    {Verb::Rescue, "rescue", 0, "windows that no monitor shows come back onto the nearest one"},
    {Verb::Watch, "watch", kWindow,
     "WINDOW: prints each change of its status and place until it or the engine ends"},
    {Verb::Option, "option", kOption,
     "NAME [VALUE]: prints or sets one of the engine's options (until the engine ends)"},
};

// The texts of the positionals, read by CLI11 and converted once the verb is known.
struct RawArgs {
    std::string edge;
    std::string window;
    std::string frontEnd;
    std::string home;
    std::vector<std::string> rules;
    std::string option;
    std::string optionValue;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<std::uint64_t> ParseNumber(std::string_view digits, int base) {
    std::uint64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value, base);
    if (digits.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<Hwnd> ParseHandle(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const auto value = hex ? ParseNumber(text.substr(2), 16) : ParseNumber(text, 10);
    // Handle 0 means no window at all.
    if (!value || *value == 0 || *value > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    return static_cast<Hwnd>(*value);
}

std::optional<WindowSpec> ParseNamedSpec(std::string_view text) {
    constexpr std::pair<std::string_view, WindowSpec::Kind> kPrefixes[] = {
        {"title=", WindowSpec::Kind::Title},
        {"class=", WindowSpec::Kind::Class},
    };
    for (const auto& [prefix, kind] : kPrefixes) {
        if (text.starts_with(prefix) && text.size() > prefix.size()) {
            return WindowSpec{kind, 0, std::string(text.substr(prefix.size()))};
        }
    }
    return std::nullopt;
}

Edge EdgeArg(const std::string& text) {
    if (auto edge = ParseEdge(text)) {
        return *edge;
    }
    throw UsageError("bad edge '" + text + "': " + kEdgeHint);
}

WindowSpec WindowArg(const std::string& text) {
    if (auto named = ParseWindowSpec(text)) {
        return *named;
    }
    throw UsageError("bad window '" + text + "': " + kWindowHint);
}

std::uint8_t HomeArg(const std::string& text) {
    if (text == "0" || text == "1") {
        return static_cast<std::uint8_t>(text[0] - '0');
    }
    throw UsageError("bad home value '" + text + "': use 0 (screen edge) or 1 (where it stood)");
}

std::string OptionNames() {
    std::string names;
    for (const popyo::OptionInfo& o : popyo::kEngineOptions) {
        names += (names.empty() ? "" : ", ") + std::string(o.name);
    }
    return names;
}

const popyo::OptionInfo& OptionArg(const std::string& text) {
    if (const popyo::OptionInfo* option = popyo::FindOption(text)) {
        return *option;
    }
    throw UsageError("unknown option '" + text + "': use " + OptionNames());
}

// An option that is on or off also takes on/off and true/false.
std::int32_t OptionValueArg(const popyo::OptionInfo& option, const std::string& text) {
    const std::string range = std::to_string(option.min) + " to " + std::to_string(option.max);
    std::optional<std::int32_t> value;
    if (option.min == 0 && option.max == 1) {
        for (const auto& [word, v] : {std::pair{"on", 1}, std::pair{"true", 1}, std::pair{"off", 0},
                                      std::pair{"false", 0}}) {
            if (EqualsIgnoringCase(text, word)) {
                value = v;
            }
        }
    }
    if (const auto number = ParseNumber(text, 10); !value && number && *number <= 0x7FFFFFFF) {
        value = static_cast<std::int32_t>(*number);
    }
    if (!value || *value < option.min || *value > option.max) {
        throw UsageError("bad value '" + text + "' for " + std::string(option.name) + ": use " +
                         range);
    }
    return *value;
}

Rule RuleArg(const std::string& text) {
    if (auto rule = ParseRule(text)) {
        return *rule;
    }
    throw UsageError("bad rule '" + text + "': " + kRuleHint);
}

bool IsVerb(std::string_view name) {
    return std::any_of(std::begin(kVerbs), std::end(kVerbs),
                       [&](const VerbRow& row) { return name == row.name; });
}

CLI::App* AddVerb(CLI::App& app, const VerbRow& row, RawArgs& raw) {
    CLI::App* sub = app.add_subcommand(row.name, row.description);
    if (row.args & kEdge) {
        sub->add_option("EDGE", raw.edge, "left, top, bottom, right or 1 to 4")->required();
    }
    if (row.args & kWindow) {
        sub->add_option("WINDOW", raw.window, "0x1A2B, title=TEXT, class=NAME or foreground")
            ->required();
    }
    if (row.args & (kFrontEnd | kOptionalFrontEnd)) {
        CLI::Option* opt = sub->add_option("FRONTEND", raw.frontEnd, "an attached front-end");
        if (row.args & kFrontEnd) {
            opt->required();
        }
    }
    if (row.args & kHomeValue) {
        sub->add_option("HOME", raw.home, "0 or 1")->required();
    }
    if (row.args & kRules) {
        sub->add_option("RULES", raw.rules, "EDGE:class=NAME, EDGE:title=TEXT or EDGE:exe=NAME")
            ->required();
    }
    if (row.args & kOption) {
        sub->add_option("NAME", raw.option, OptionNames())->required();
        sub->add_option("VALUE", raw.optionValue,
                        "0 or 1 (on or off) for an option that is either");
    }
    return sub;
}

Command BuildCommand(const VerbRow& row, const RawArgs& raw, const CLI::App& sub) {
    Command cmd;
    cmd.verb = row.verb;
    if (row.args & kEdge) {
        cmd.edge = EdgeArg(raw.edge);
    }
    if (row.args & kWindow) {
        cmd.window = WindowArg(raw.window);
    }
    if ((row.args & (kFrontEnd | kOptionalFrontEnd)) && sub.count("FRONTEND") > 0) {
        cmd.frontEnd = WindowArg(raw.frontEnd);
    }
    if (row.args & kHomeValue) {
        cmd.home = HomeArg(raw.home);
    }
    for (const std::string& text : raw.rules) {
        cmd.rules.push_back(RuleArg(text));
    }
    if (row.args & kOption) {
        const popyo::OptionInfo& option = OptionArg(raw.option);
        cmd.option = option.id;
        if (sub.count("VALUE") > 0) {
            cmd.optionValue = OptionValueArg(option, raw.optionValue);
        }
    }
    return cmd;
}

ParseOutcome UsageFailure(const std::string& message) {
    ParseOutcome out;
    out.exitCode = kExitUsage;
    out.error = "popyctl: " + message + " (see popyctl --help)";
    return out;
}

}  // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
    CLI::App app{
        "Drives the edge engine: registers windows at screen edges, pops, hides, pins "
        "and queries them.",
        "popyctl"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("popyctl ") + POPYO_VERSION);
    app.footer(kFooter);
    RawArgs raw;
    std::vector<std::pair<CLI::App*, const VerbRow*>> verbs;
    for (const VerbRow& row : kVerbs) {
        verbs.emplace_back(AddVerb(app, row, raw), &row);
    }
    // CLI11 would call either case "a subcommand is required", which helps nobody.
    if (args.empty()) {
        return UsageFailure("no verb given");
    }
    if (!args[0].starts_with('-') && !IsVerb(args[0])) {
        return UsageFailure("unknown verb '" + args[0] + "'");
    }
    std::vector<const char*> argv{"popyctl"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
        for (const auto& [sub, row] : verbs) {
            if (sub->parsed()) {
                ParseOutcome out;
                out.command = BuildCommand(*row, raw, *sub);
                return out;
            }
        }
        return UsageFailure("no verb given");
    } catch (const CLI::CallForHelp&) {
        ParseOutcome out;
        out.output = app.help();
        return out;
    } catch (const CLI::CallForVersion& e) {
        ParseOutcome out;
        out.output = std::string(e.what()) + "\n";
        return out;
    } catch (const CLI::ParseError& e) {
        return UsageFailure(e.what());
    } catch (const UsageError& e) {
        return UsageFailure(e.what());
    }
}

std::optional<Edge> ParseEdge(std::string_view text) {
    constexpr std::pair<std::string_view, Edge> kNames[] = {
        {"left", popyo::edLeft},   {"top", popyo::edTop}, {"bottom", popyo::edBottom},
        {"right", popyo::edRight}, {"1", popyo::edLeft},  {"2", popyo::edTop},
        {"3", popyo::edBottom},    {"4", popyo::edRight},
    };
    for (const auto& [name, edge] : kNames) {
        if (EqualsIgnoringCase(text, name)) {
            return edge;
        }
    }
    return std::nullopt;
}

std::optional<WindowSpec> ParseWindowSpec(std::string_view text) {
    if (text == "foreground") {
        return WindowSpec{WindowSpec::Kind::Foreground, 0, {}};
    }
    if (auto named = ParseNamedSpec(text)) {
        return named;
    }
    if (auto handle = ParseHandle(text)) {
        return WindowSpec{WindowSpec::Kind::Handle, *handle, {}};
    }
    return std::nullopt;
}

std::optional<Rule> ParseRule(std::string_view text) {
    // Edge names hold no colon, so the first colon ends the edge and a title may hold more.
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto edge = ParseEdge(text.substr(0, colon));
    if (!edge) {
        return std::nullopt;
    }
    const std::string_view named = text.substr(colon + 1);
    Rule rule{*edge, {}};
    if (auto window = ParseNamedSpec(named)) {
        (window->kind == WindowSpec::Kind::Title ? rule.match.title : rule.match.className) =
            std::move(window->text);
    } else if (named.starts_with(kExePrefix) && named.size() > kExePrefix.size()) {
        rule.match.exe = std::string(named.substr(kExePrefix.size()));
    } else {
        return std::nullopt;
    }
    return rule;
}

std::string DescribeSpec(const WindowSpec& named) {
    switch (named.kind) {
        case WindowSpec::Kind::Handle:
            return FormatHandle(named.handle);
        case WindowSpec::Kind::Title:
            return "title=" + named.text;
        case WindowSpec::Kind::Class:
            return "class=" + named.text;
        case WindowSpec::Kind::Foreground:
            return "foreground";
    }
    return {};
}

std::string FormatHandle(Hwnd wnd) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(wnd));
    return text;
}

std::string EdgeWord(std::uint32_t edge) {
    constexpr const char* kWords[] = {"none", "left", "top", "bottom", "right"};
    return edge < std::size(kWords) ? kWords[edge] : "edge " + std::to_string(edge);
}

std::string StatusWord(std::uint32_t status) {
    constexpr const char* kWords[] = {"not registered", "hiding", "leaving",  "showing",
                                      "hidden",         "shown",  "minimized"};
    return status < std::size(kWords) ? kWords[status] : "status " + std::to_string(status);
}

std::string ClassifyWord(std::uint32_t code) {
    // Without a front-end given, every owner and handle matches: only 0, 1, 3 and 5 occur.
    constexpr const char* kWords[] = {
        "neither a registered window nor an attached front-end",
        "registered window; the owner matches",
        "registered window of another owner",
        "attached front-end; the handle matches",
        "another attached front-end",
        "registered window and attached front-end; owner and handle match",
        "registered window and attached front-end; owner or handle differs",
    };
    const std::string number = std::to_string(code);
    return number + ": " + (code < std::size(kWords) ? kWords[code] : "unknown code");
}

std::string FormatQuery(const QueryAnswer& answer) {
    std::string home = "none";
    if (answer.home == 0) {
        home = "0 (slides out as far as the screen edge)";
    } else if (answer.home == 1) {
        home = "1 (slides out to where it stood)";
    } else if (answer.home > 1) {
        home = std::to_string(answer.home);
    }
    return "status: " + StatusWord(answer.status) + "\nedge: " + EdgeWord(answer.edge) +
           "\npinned: " + (answer.pinned != 0 ? "yes" : "no") + "\nhome: " + home + "\n";
}

std::string OptionName(popyo::EngineOption id) {
    const popyo::OptionInfo* option = popyo::FindOption(id);
    return option != nullptr ? std::string(option->name) : "option " + std::to_string(id);
}

std::string FormatOption(popyo::EngineOption id,
                         std::int32_t value,
                         std::optional<std::int32_t> previous) {
    std::string line = OptionName(id) + " " + std::to_string(value);
    if (previous) {
        line += " (was " + std::to_string(*previous) + ")";
    }
    return line;
}

void PrintLine(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace popyctl
