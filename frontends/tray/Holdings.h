// The windows the tray holds: which it registered with the engine, at which edge, by which
// rule or by hand, and where each stood, so that it can put them back without the engine.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontends/common/Rules.h"

namespace popyo::tray {

struct Held {
    Hwnd handle = 0;
    Edge edge = edNone;
    std::string title;                   // as last read, UTF-8
    std::optional<frontend::Rule> rule;  // the rule that took it; none when taken by hand
    TRect home;                          // where it stood when it was first taken
    bool maximized = false;
};

class Holdings {
  public:
    const std::vector<Held>& All() const { return held_; }
    bool Empty() const { return held_.empty(); }
    const Held* Find(Hwnd handle) const;
    // A window taken again keeps the home of its first taking, as the engine does.
    void Take(Held held);
    void Drop(Hwnd handle);
    void Clear() { held_.clear(); }
    // The edge of the window taken last, for a double-click on the icon.
    Edge LastEdge() const { return lastEdge_; }

    // Windows the user released by hand: the rules leave them alone while they live, so
    // that a rule does not take back at once what the user just let go.
    void LetGo(Hwnd handle);
    bool IsLetGo(Hwnd handle) const;
    // The rule that holds a window from now on, after the rules changed.
    void SetRule(Hwnd handle, std::optional<frontend::Rule> rule);
    void SetTitle(Hwnd handle, std::string title);

    // Forgets windows that are gone, and held windows the engine no longer holds (released
    // by another front-end, or lost with the engine).
    template <class Exists, class Registered>
    void Prune(Exists exists, Registered registered) {
        std::erase_if(held_,
                      [&](const Held& h) { return !exists(h.handle) || !registered(h.handle); });
        std::erase_if(letGo_, [&](Hwnd h) { return !exists(h); });
    }

  private:
    std::vector<Held> held_;
    std::vector<Hwnd> letGo_;
    Edge lastEdge_ = edNone;
};

// A tuck key pressed on a window: the same edge again releases it (a toggle).
enum class TuckStep { Take, MoveEdge, Release };
TuckStep PlanTuck(const Held* held, Edge edge);

// What a changed rule set does to a window a rule took: it stays, moves to the edge of the
// rule that names it now, or goes home when no rule names it any more. Windows taken by
// hand stay.
struct ReloadStep {
    enum class Kind { Keep, MoveEdge, Release } kind = Kind::Keep;
    std::optional<frontend::Rule> rule;  // the rule that holds it from now on
};
ReloadStep PlanReload(const Held& held,
                      const frontend::TopWindow& now,
                      const std::vector<frontend::Rule>& rules);

}  // namespace popyo::tray
