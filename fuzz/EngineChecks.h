// What must hold of the engine while engine_fuzz drives it, and what release and a quiet
// hide must leave on the simulated desktop. Every check aborts with a message saying what
// broke, which libFuzzer reports as a crash.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/frmPopyonnEngine.h"
#include "platform/SimDesktop.h"

namespace popyo::fuzz {

[[noreturn]] void Violation(const char* format, ...);

// The front-ends as the engine must hold them: in attach order, each once, at most one
// main one. A detach closes the engine, after which the list is no longer followed.
class FrontEndModel {
  public:
    // Called with every control message before the engine handles it.
    void Follow(std::uint32_t msg, std::uint32_t wParam, std::uint32_t lParam);
    void Check(const TformPopyonnEngine& engine, const char* where) const;

  private:
    std::vector<Hwnd> attached_;
    int mainIndex_ = -1;
    bool detached_ = false;
};

// Whenever the engine is not in the middle of a step: codes in range, no edge past the
// four sides anywhere, no window held by two live slots.
void CheckStructure(const TformPopyonnEngine& engine, const char* where);

// Between two events: no tick running, no dialog held, the timer on exactly while the
// engine runs.
void CheckBetweenEvents(const TformPopyonnEngine& engine, const SimDesktop& sim);

// A live slot as it stood just before a close released it.
struct HeldWindow {
    Hwnd wnd = 0;
    TRect homeRect{};
    std::uint32_t slotStyle = 0;
    SimWindow before;
};

std::vector<HeldWindow> HeldWindows(const TformPopyonnEngine& engine, SimDesktop& sim);

// Every held window that still exists stands where release puts it; with onScreen, also on
// the desktop.
void CheckReleased(SimDesktop& sim,
                   const TRect& screen,
                   const std::vector<HeldWindow>& held,
                   const char* how,
                   bool onScreen);

// Hides every window and ticks until each must have arrived beyond its edge; needs a
// running engine with nothing else going on.
void CheckSlidesEnd(TformPopyonnEngine& engine, SimDesktop& sim, const TRect& desk);

// Where release puts a window of the given size whose home is `home`.
TPoint HomeShownSomewhere(const MonitorList& monitors,
                          const TRect& screen,
                          const TRect& home,
                          const TRect& size);

// A slot and where its window stood before a tick.
struct SlotBefore {
    Hwnd wnd = 0;
    Status status = rsNone;
    TRect rect{};
};
std::vector<SlotBefore> SlotsBefore(const TformPopyonnEngine& engine, SimDesktop& sim);

// With several monitors, after a tick: a window that fits its monitor and has just hidden
// lies where no monitor shows it; one that the tick's slide has just brought out to its
// monitor's side lies within that monitor across its edge (checked when no message came
// between, and the engine found the monitors as it left them: a window of a monitor that has
// gone moves into line with another before its step).
void CheckMonitorPlaces(const TformPopyonnEngine& engine,
                        SimDesktop& sim,
                        const std::vector<SlotBefore>& before,
                        bool undisturbed);

// With the engine told to skip cloaked windows, a window call must never bring a cloaked
// registered window out (a move to the top band) nor hand a cloaked window the foreground:
// either would take the user to another virtual desktop.
void CheckCloakedLeftAlone(const TformPopyonnEngine& engine, SimDesktop& sim, const Call& call);

// A frame between ticks (a move Timer2 makes) moves only a registered window that slides,
// while the tick runs.
void CheckFramesOnlySlide(const TformPopyonnEngine& engine, const Call& call);

// Where the window shows: its rectangle without the invisible borders the engine lines up
// when it is told to.
TRect ShownPart(const TformPopyonnEngine& engine, SimDesktop& sim, Hwnd wnd);

}  // namespace popyo::fuzz
