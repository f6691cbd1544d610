#include "frontends/tray/RulesFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

// Only the parser is needed, not the writers of TOML, JSON and YAML.
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

namespace popyo::tray {
namespace {

// Texts start as std::string rather than a literal: GCC 12 warns falsely (-Wrestrict) on a
// literal followed by a temporary string.

using frontend::Rule;
using frontend::WindowMatch;

constexpr std::string_view kEdgeNames[] = {"left", "top", "bottom", "right"};
constexpr Edge kEdges[] = {edLeft, edTop, edBottom, edRight};

// A file can hold several faults; the one nearest its start is the one reported, whatever
// order toml++ keeps the keys in.
class Faults {
  public:
    void Add(const toml::source_region& at, std::string reason) {
        RulesError e{at.begin.line, at.begin.column, std::move(reason)};
        if (!first_ || std::pair(e.line, e.column) < std::pair(first_->line, first_->column)) {
            first_ = std::move(e);
        }
    }
    const std::optional<RulesError>& First() const { return first_; }

  private:
    std::optional<RulesError> first_;
};

std::optional<Edge> EdgeNamed(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kEdgeNames); ++i) {
        if (frontend::SameName(name, kEdgeNames[i])) {
            return kEdges[i];
        }
    }
    return std::nullopt;
}

// A string value, or a fault when the node holds something else or nothing.
const std::string* StringAt(const toml::key& key, const toml::node& node, Faults& faults) {
    const auto* value = node.as_string();
    if (value == nullptr) {
        faults.Add(node.source(),
                   std::string("'") + std::string(key.str()) + "' must be a string in quotes");
        return nullptr;
    }
    if (value->get().empty()) {
        faults.Add(node.source(),
                   std::string("'") + std::string(key.str()) + "' must not be empty");
        return nullptr;
    }
    return &value->get();
}

std::optional<std::string>* MatchField(WindowMatch& match, std::string_view name) {
    const std::pair<std::string_view, std::optional<std::string>*> fields[] = {
        {"class", &match.className},
        {"title", &match.title},
        {"title_contains", &match.titleContains},
        {"exe", &match.exe},
    };
    for (const auto& [fieldName, field] : fields) {
        if (name == fieldName) {
            return field;
        }
    }
    return nullptr;
}

std::optional<SummonMonitor> MonitorNamed(std::string_view name) {
    if (frontend::SameName(name, "own")) {
        return SummonMonitor::Own;
    }
    if (frontend::SameName(name, "cursor")) {
        return SummonMonitor::Cursor;
    }
    return std::nullopt;
}

// The keys that summon the entry's window; `ok` turns false at a fault.
struct SummonKeys {
    std::optional<Hotkey> hotkey;
    const toml::node* hotkeyNode = nullptr;
    std::optional<Launch> run;
    const toml::node* needsHotkey = nullptr;  // the first key that works only with a hotkey
    const toml::key* needsRun = nullptr;      // args or cwd
    SummonMonitor monitor = SummonMonitor::Own;
};

// Answers false when the key is none of the summon keys.
bool ReadSummonKey(const toml::key& key,
                   const toml::node& node,
                   SummonKeys& keys,
                   bool& ok,
                   Faults& faults) {
    const std::string_view name = key.str();
    if (name != "hotkey" && name != "run" && name != "args" && name != "cwd" && name != "monitor") {
        return false;
    }
    const std::string* text = nullptr;
    if (name == "args" || name == "cwd") {
        // Empty is allowed: no arguments, the tray's own folder.
        text = node.as_string() != nullptr ? &node.as_string()->get() : nullptr;
        if (text == nullptr) {
            faults.Add(node.source(),
                       std::string("'") + std::string(name) + "' must be a string in quotes");
        }
    } else {
        text = StringAt(key, node, faults);
    }
    if (text == nullptr) {
        ok = false;
        return true;
    }
    if (name != "hotkey" && keys.needsHotkey == nullptr) {
        keys.needsHotkey = &node;
    }
    if (name == "hotkey") {
        const HotkeyParse parsed = ParseHotkey(*text);
        if (!parsed.hotkey) {
            faults.Add(node.source(), parsed.error);
            ok = false;
        }
        keys.hotkey = parsed.hotkey;
        keys.hotkeyNode = &node;
    } else if (name == "monitor") {
        const auto monitor = MonitorNamed(*text);
        if (!monitor) {
            faults.Add(node.source(), "'monitor' must be \"own\" or \"cursor\"");
            ok = false;
        }
        keys.monitor = monitor.value_or(SummonMonitor::Own);
    } else {
        if (!keys.run) {
            keys.run = Launch{};
        }
        if (name == "run") {
            keys.run->exe = *text;
        } else {
            (name == "args" ? keys.run->args : keys.run->cwd) = *text;
            keys.needsRun = keys.needsRun != nullptr ? keys.needsRun : &key;
        }
    }
    return true;
}

std::optional<Rule> ReadWindow(const toml::table& entry, SummonKeys& keys, Faults& faults) {
    Rule rule;
    bool ok = true;
    for (const auto& [key, node] : entry) {
        if (key.str() == "edge") {
            const std::string* name = StringAt(key, node, faults);
            const auto edge = name != nullptr ? EdgeNamed(*name) : std::nullopt;
            if (name != nullptr && !edge) {
                faults.Add(node.source(),
                           "bad edge name '" + *name + "' (use left, top, bottom or right)");
            }
            ok = ok && edge.has_value();
            rule.edge = edge.value_or(edNone);
        } else if (auto* field = MatchField(rule.match, key.str())) {
            const std::string* text = StringAt(key, node, faults);
            ok = ok && text != nullptr;
            *field = text != nullptr ? std::optional(*text) : std::nullopt;
        } else if (!ReadSummonKey(key, node, keys, ok, faults)) {
            faults.Add(key.source(), std::string("unknown key '") + std::string(key.str()) +
                                         "' in a [[window]] entry (use edge, class, title, "
                                         "title_contains, exe, hotkey, run, args, cwd, "
                                         "monitor)");
            ok = false;
        }
    }
    if (!entry.contains("edge")) {
        faults.Add(entry.source(), "a [[window]] entry needs an edge");
        ok = false;
    }
    // An entry that names nothing would take every window on the desktop.
    if (rule.match.Empty() && ok) {
        faults.Add(entry.source(),
                   "a [[window]] entry needs at least one of class, title, title_contains, exe");
        ok = false;
    }
    // Without a key nothing would ever start the program or choose the monitor.
    if (keys.needsHotkey != nullptr && keys.hotkeyNode == nullptr) {
        faults.Add(keys.needsHotkey->source(),
                   "run, args, cwd and monitor work only with a hotkey in the same [[window]] "
                   "entry");
        ok = false;
    }
    if (keys.needsRun != nullptr && keys.run && keys.run->exe.empty()) {
        faults.Add(keys.needsRun->source(), std::string("'") + std::string(keys.needsRun->str()) +
                                                "' needs a 'run' in the same [[window]] entry");
        ok = false;
    }
    return ok ? std::optional(std::move(rule)) : std::nullopt;
}

void ReadWindows(const toml::node& node,
                 TrayConfig& config,
                 std::vector<const toml::node*>& summonNodes,
                 Faults& faults) {
    const toml::array* entries = node.as_array();
    if (entries == nullptr || !entries->is_array_of_tables()) {
        faults.Add(node.source(), "'window' must be [[window]] entries");
        return;
    }
    for (const toml::node& entry : *entries) {
        SummonKeys keys;
        auto rule = ReadWindow(*entry.as_table(), keys, faults);
        if (!rule) {
            continue;
        }
        if (keys.hotkey) {
            config.summons.push_back({config.rules.size(), entry.source().begin.line, *keys.hotkey,
                                      keys.run, keys.monitor});
            summonNodes.push_back(keys.hotkeyNode);
        }
        config.rules.push_back(std::move(*rule));
    }
}

std::optional<HotkeyAction> ActionNamed(std::string_view name) {
    for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
        const auto action = static_cast<HotkeyAction>(i);
        if (ActionName(action) == name) {
            return action;
        }
    }
    return std::nullopt;
}

bool Before(const toml::node& a, const toml::node& b) {
    const auto& pa = a.source().begin;
    const auto& pb = b.source().begin;
    return std::pair(pa.line, pa.column) < std::pair(pb.line, pb.column);
}

// One key cannot do two things. Of two actions on one key, the one the file gives is
// blamed (a default is not the user's doing), or of two given, the later one.
void BlameSharedKeys(const HotkeySet& hotkeys,
                     const std::array<const toml::node*, kHotkeyActionCount>& given,
                     Faults& faults) {
    for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
        for (std::size_t j = i + 1; j < kHotkeyActionCount; ++j) {
            if (!hotkeys[i] || hotkeys[i] != hotkeys[j] || (!given[i] && !given[j])) {
                continue;
            }
            const toml::node* blamed = given[i];
            if (!blamed || (given[j] && Before(*given[i], *given[j]))) {
                blamed = given[j];
            }
            faults.Add(blamed->source(), FormatHotkey(*hotkeys[i]) + " is given to two actions");
        }
    }
}

// A rule's key may be neither an action's nor another rule's: the rule's is blamed, as
// given later than a default, or the later of two rules.
void BlameRuleKeys(const TrayConfig& config,
                   const std::vector<const toml::node*>& summonNodes,
                   Faults& faults) {
    for (std::size_t i = 0; i < config.summons.size(); ++i) {
        const Hotkey& key = config.summons[i].hotkey;
        bool shared = std::ranges::any_of(
            config.hotkeys, [&](const std::optional<Hotkey>& action) { return action == key; });
        for (std::size_t j = 0; j < i && !shared; ++j) {
            shared = config.summons[j].hotkey == key;
        }
        if (shared) {
            faults.Add(summonNodes[i]->source(), FormatHotkey(key) + " is given to two actions");
        }
    }
}

void ReadHotkeys(const toml::node& node, TrayConfig& config, Faults& faults) {
    const toml::table* table = node.as_table();
    if (table == nullptr) {
        faults.Add(node.source(), "'hotkeys' must be a [hotkeys] table");
        return;
    }
    std::array<const toml::node*, kHotkeyActionCount> given{};
    for (const auto& [key, value] : *table) {
        const auto action = ActionNamed(key.str());
        if (!action) {
            faults.Add(key.source(), std::string("unknown hotkey '") + std::string(key.str()) +
                                         "' (use left, top, bottom, right, release_all)");
            continue;
        }
        const auto* text = value.as_string();
        if (text == nullptr) {
            faults.Add(value.source(), std::string("hotkey '") + std::string(key.str()) +
                                           "' must be a string in quotes, such as "
                                           "\"Ctrl+Alt+Shift+Left\"");
            continue;
        }
        auto& slot = config.hotkeys[static_cast<std::size_t>(*action)];
        if (text->get().empty()) {
            slot.reset();
            continue;
        }
        const HotkeyParse parsed = ParseHotkey(text->get());
        if (!parsed.hotkey) {
            faults.Add(value.source(), parsed.error);
            continue;
        }
        slot = parsed.hotkey;
        given[static_cast<std::size_t>(*action)] = &value;
    }
    BlameSharedKeys(config.hotkeys, given, faults);
}

void SetOption(TrayConfig& config, EngineOption id, std::int32_t value) {
    for (OptionValue& given : config.engineOptions) {
        if (given.id == id) {
            given.value = value;
        }
    }
}

// The language is the tray's choice as much as the engine's: it stands under [tray].
bool InEngineTable(const OptionInfo* option) {
    return option != nullptr && option->id != opLanguage;
}

std::string OptionNames() {
    std::string names;
    for (const OptionInfo& o : kEngineOptions) {
        if (InEngineTable(&o)) {
            names += (names.empty() ? "" : ", ") + std::string(o.name);
        }
    }
    return names;
}

// An option that is on or off is a boolean in the file; any other a whole number.
std::optional<std::int32_t> OptionValueAt(const OptionInfo& option,
                                          const toml::node& value,
                                          Faults& faults) {
    const std::string name(option.name);
    if (option.min == 0 && option.max == 1) {
        if (const auto* flag = value.as_boolean()) {
            return flag->get() ? 1 : 0;
        }
        faults.Add(value.source(), "'" + name + "' must be true or false");
        return std::nullopt;
    }
    const auto* number = value.as_integer();
    if (number == nullptr || number->get() < option.min || number->get() > option.max) {
        faults.Add(value.source(), "'" + name + "' must be a whole number from " +
                                       std::to_string(option.min) + " to " +
                                       std::to_string(option.max));
        return std::nullopt;
    }
    return static_cast<std::int32_t>(number->get());
}

void ReadEngine(const toml::node& node, TrayConfig& config, Faults& faults) {
    const toml::table* table = node.as_table();
    if (table == nullptr) {
        faults.Add(node.source(), "'engine' must be an [engine] table");
        return;
    }
    for (const auto& [key, value] : *table) {
        const OptionInfo* option = FindOption(key.str());
        if (!InEngineTable(option)) {
            faults.Add(key.source(), std::string("unknown key '") + std::string(key.str()) +
                                         "' in [engine] (use " + OptionNames() + ")");
            continue;
        }
        if (const auto v = OptionValueAt(*option, value, faults)) {
            SetOption(config, option->id, *v);
        }
    }
}

void ReadTray(const toml::node& node, TrayConfig& config, Faults& faults) {
    const toml::table* table = node.as_table();
    if (table == nullptr) {
        faults.Add(node.source(), "'tray' must be a [tray] table");
        return;
    }
    for (const auto& [key, value] : *table) {
        if (key.str() != "language") {
            faults.Add(key.source(), std::string("unknown key '") + std::string(key.str()) +
                                         "' in [tray] (use language)");
            continue;
        }
        const auto* text = value.as_string();
        const std::string name = text != nullptr ? text->get() : std::string();
        if (frontend::SameName(name, "en")) {
            config.language = lnEnglish;
        } else if (frontend::SameName(name, "ja")) {
            config.language = lnJapanese;
        } else {
            faults.Add(value.source(), "'language' must be \"en\" or \"ja\"");
            continue;
        }
        SetOption(config, opLanguage, config.language);
    }
}

}  // namespace

std::vector<OptionValue> TrayOptionDefaults() {
    return {{opSkipCloaked, 1},
            {opQuietOverFullscreen, 1},
            {opAlignVisibleFrame, 1},
            {opSlideFrames, 3},
            {opLanguage, lnFollowWindows}};
}

RulesParse ParseRulesFile(std::string_view text) {
    toml::table root;
    try {
        root = toml::parse(text);
    } catch (const toml::parse_error& e) {
        const auto& at = e.source().begin;
        return {std::nullopt, RulesError{at.line, at.column, std::string(e.description())}};
    }
    TrayConfig config;
    Faults faults;
    std::vector<const toml::node*> summonNodes;
    for (const auto& [key, node] : root) {
        if (key.str() == "window") {
            ReadWindows(node, config, summonNodes, faults);
        } else if (key.str() == "hotkeys") {
            ReadHotkeys(node, config, faults);
        } else if (key.str() == "engine") {
            ReadEngine(node, config, faults);
        } else if (key.str() == "tray") {
            ReadTray(node, config, faults);
        } else {
            faults.Add(key.source(), std::string("unknown key '") + std::string(key.str()) +
                                         "' (use [hotkeys], [[window]], [engine] and [tray])");
        }
    }
    BlameRuleKeys(config, summonNodes, faults);
    if (faults.First()) {
        return {std::nullopt, *faults.First()};
    }
    return {std::move(config), {}};
}

std::string FormatRulesError(std::string_view fileName, const RulesError& error) {
    return std::string(fileName) + std::string(", line ") + std::to_string(error.line) +
           ", column " + std::to_string(error.column) + ": " + error.reason;
}

std::string_view RulesTemplate() {
    return R"(# PopyonnTray rules. Saved changes take effect within a second.
#
# Hotkeys: each edge's key tucks the active window away at that edge, and the same key
# again brings it back. "" turns a key off; a key left out keeps its default.
# Modifiers: Ctrl, Alt, Shift, Win. Keys: A-Z, 0-9, F1-F24, Left, Up, Right, Down, Home,
# End, PageUp, PageDown, Insert, Delete, Space, Num0-Num9, ...
#
# [hotkeys]
# left = "Ctrl+Alt+Shift+Left"
# top = "Ctrl+Alt+Shift+Up"
# bottom = "Ctrl+Alt+Shift+Down"
# right = "Ctrl+Alt+Shift+Right"
# release_all = "Ctrl+Alt+Shift+Home"

# Windows to tuck away as soon as they appear. Each [[window]] entry has an edge (left,
# top, bottom or right) and any of these; every one given must match:
#   exe            the program's file name, any letter case ("notepad.exe" or "notepad")
#   class          the window class name, any letter case
#   title          the whole window title, exactly
#   title_contains a part of the window title, exactly
#
# [[window]]
# edge = "left"
# exe = "notepad.exe"
#
# [[window]]
# edge = "right"
# title_contains = "Calculator"
#
# A [[window]] entry may also have a key of its own, which brings its window out (and
# active), and sends it away again when it is out and active:
#   hotkey   "Ctrl+Alt+T", written as the keys above
#   run      with a hotkey: the program started when no window of the rule is open
#   args     its arguments; cwd its folder ("%USERPROFILE%" and other variables work)
#   monitor  "own" (where the window belongs) or "cursor" (the monitor with the cursor)
#
# [[window]]
# edge = "top"
# exe = "notepad.exe"
# hotkey = "Ctrl+Alt+N"
# run = "notepad.exe"
# monitor = "cursor"

# The engine, for today's Windows; each left out stays as shown.
#   skip_cloaked           a window on another virtual desktop never pops out
#   quiet_over_fullscreen  pushing an edge pops nothing over a full-screen game or video
#   align_visible_frame    the visible frame, not Windows' invisible border, meets the edge
#   slide_frames           moves per 50 ms step while a window slides, 1 to 8
#
# [engine]
# skip_cloaked = true
# quiet_over_fullscreen = true
# align_visible_frame = true
# slide_frames = 3

# The language of the tray and the engine, "en" or "ja"; left out, they speak as Windows does.
#
# [tray]
# language = "en"
)";
}

}  // namespace popyo::tray
