// A rule's own key: it brings the rule's window out, sends it away again, and starts the
// program when none runs. The decisions here are plain values; the tray acts on them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/tray/Hotkeys.h"
#include "platform/Geometry.h"
#include "protocol/PopyoDef.h"

namespace popyo::tray {

using Ms = std::uint64_t;

// Where a summoned window comes out: at its edge of the monitor it belongs to, or of the
// monitor that holds the cursor.
enum class SummonMonitor : std::uint8_t { Own, Cursor };

// What starts when the key finds no window of the rule. Texts as the file gives them,
// UTF-8; variables in `cwd` are expanded when the program starts.
struct Launch {
    std::string exe;
    std::string args;
    std::string cwd;
    friend bool operator==(const Launch&, const Launch&) = default;
};

// The keys of one [[window]] entry that summon its window.
struct Summon {
    std::size_t rule = 0;    // in TrayConfig::rules
    std::uint32_t line = 0;  // of the entry, for notices
    Hotkey hotkey;
    std::optional<Launch> run;
    SummonMonitor monitor = SummonMonitor::Own;
    friend bool operator==(const Summon&, const Summon&) = default;
};

enum class SummonStep : std::uint8_t {
    Out,       // tucked away, on its way in, or minimized: out, and active
    Away,      // out and active: tucked away at once
    Activate,  // out behind another window: brought to the front
    Launch,    // no window of the rule: its program starts
    Nothing,   // its program is starting already, or there is none to start
};

// `status` is the engine's for the rule's window; nullopt when the rule has none.
SummonStep PlanSummon(std::optional<Status> status, bool active, bool canLaunch, bool launching);

// One start per rule at a time: a second press while the program starts launches nothing
// more, and a start that shows no window in time is reported once.
class Launches {
  public:
    static constexpr Ms kPatienceMs = 10000;

    bool Pending(std::size_t summon) const;
    void Started(std::size_t summon, Ms now);
    // The rule took a window: answers whether a start was waiting for it.
    bool Arrived(std::size_t summon);
    // Starts past their patience, each answered once and then forgotten.
    std::vector<std::size_t> Overdue(Ms now);
    std::optional<Ms> NextDue() const;
    void Clear() { pending_.clear(); }

  private:
    struct Start {
        std::size_t summon;
        Ms due;
    };
    std::vector<Start> pending_;
};

// Where a window comes out at once at its edge of `monitor`: inside it, its edge side on the
// monitor's.
TRect OutPlace(const TRect& window, Edge edge, const TRect& monitor);

// %NAME% replaced by the variable's value, as Windows expands them; an unknown name, or a
// lone %, stays as written.
std::string ExpandVariables(
    std::string_view text,
    const std::function<std::optional<std::string>(std::string_view)>& lookup);

}  // namespace popyo::tray
