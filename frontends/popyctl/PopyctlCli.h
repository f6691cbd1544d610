// popyctl's command line: the verbs, how windows and edges are named, and the words it
// prints for the engine's answers. Portable: the Windows side only sends what this decides.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/common/Failure.h"
#include "frontends/common/Rules.h"
#include "platform/Geometry.h"
#include "protocol/PopyoDef.h"

namespace popyctl {

using popyo::Edge;
using popyo::Hwnd;

enum class Verb : std::uint8_t {
    Register,
    Release,
    Owner,
    Pop,
    HideAll,
    Hide,
    Pin,
    Unpin,
    Home,
    Query,
    Classify,
    Settings,
    Detach,
    Run,
    Rescue,
    Watch,
    Option,
};

// How the user names a window: by handle, exact title, class name, or the foreground window.
struct WindowSpec {
    enum class Kind : std::uint8_t { Handle, Title, Class, Foreground };
    Kind kind = Kind::Handle;
    Hwnd handle = 0;
    std::string text;
    friend bool operator==(const WindowSpec&, const WindowSpec&) = default;
};

// `run` takes every window a rule names to the rule's edge.
using popyo::frontend::Rule;

struct Command {
    Verb verb = Verb::Settings;
    Edge edge = popyo::edNone;
    WindowSpec window;
    std::optional<WindowSpec> frontEnd;
    std::uint8_t home = 0;
    std::vector<Rule> rules;
    // `option`: which one, and the value to set; none to read it.
    popyo::EngineOption option = popyo::opSkipCloaked;
    std::optional<std::int32_t> optionValue;
};

enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,     // engine not running, no such window, the engine refused
    kExitUsage = 2,       // bad command line
    kExitEngineLost = 3,  // `run` saw the engine end without a detach
};

// Something popyctl could not do: the engine is not running, no window has the name, the
// engine refused. It ends popyctl with its text on one line and kExitFailure.
using popyo::frontend::Failure;

// A command to carry out, or text to print and leave with: help, or one line of error.
struct ParseOutcome {
    std::optional<Command> command;
    int exitCode = kExitOk;
    std::string output;
    std::string error;
};

// `args` are the arguments after the program name, in UTF-8.
ParseOutcome ParseCommandLine(const std::vector<std::string>& args);

std::optional<Edge> ParseEdge(std::string_view text);
std::optional<WindowSpec> ParseWindowSpec(std::string_view text);
std::optional<Rule> ParseRule(std::string_view text);

std::string DescribeSpec(const WindowSpec& named);
std::string FormatHandle(Hwnd wnd);
std::string EdgeWord(std::uint32_t edge);
std::string StatusWord(std::uint32_t status);
std::string ClassifyWord(std::uint32_t code);

// The four answers `query` collects, as the engine gives them.
struct QueryAnswer {
    std::uint32_t status = 0;
    std::uint32_t edge = 0;
    std::uint32_t pinned = 0;
    std::int32_t home = -1;
};
std::string FormatQuery(const QueryAnswer& answer);

std::string OptionName(popyo::EngineOption id);
// "skip_cloaked 1", or after a set "skip_cloaked 0 (was 1)".
std::string FormatOption(popyo::EngineOption id,
                         std::int32_t value,
                         std::optional<std::int32_t> previous = std::nullopt);

// One line to stdout, flushed at once: `run` prints while it lives, often into a pipe.
void PrintLine(std::string_view text);

}  // namespace popyctl
