// Tregwin: the engine's record of one registered window of another program, with the
// per-window slide steps. It never owns the window; it holds its handle.
#pragma once

#include <cstdint>

#include "engine/EngineWide.h"
#include "platform/Geometry.h"
#include "platform/WindowSystem.h"
#include "protocol/PopyoDef.h"

namespace popyo {

// What a slide steps against: the sides of the desktop, or of the window's own monitor, and
// where a window coming out of the left or top edge comes to rest.
struct SlideBounds {
    TRect Sides{};
    std::int32_t RestLeft = 0;
    std::int32_t RestTop = 0;
    bool FromMonitor = false;  // the edge's side is the window's monitor's, not the desktop's
};

class Tregwin {
  public:
    // Every field zero but Wnd. The engine-wide values are read afresh at every step.
    Tregwin(Hwnd wnd, WindowSystem& ws, const EngineWide& wide);

    popyo::Status StepShow();
    popyo::Status StepHide();
    void StartHide();
    popyo::Edge Validate();
    bool ContainsPoint(TPoint p) const;
    void ComeIntoLineWithMonitor();
    void Pin();
    void Unpin();

    TRect Rect{};
    Hwnd Wnd = 0;
    popyo::Status Status = rsNone;
    popyo::Edge Edge = edNone;
    bool Pinned = false;
    bool WasActive = false;
    bool MouseWasOut = false;
    std::int32_t OffCount = 0;
    std::uint32_t Style = 0;
    TRect HomeRect{};
    std::uint8_t ToHome = 0;
    std::int32_t HomeX = 0;
    std::int32_t HomeY = 0;
    Hwnd Owner = 0;
    // The monitor the window belongs to: the one that held most of it at its registration.
    TRect Monitor{};

    SlideBounds Bounds() const;

  private:
    void FreeSlot();
    void RestoreIfMaximized(std::uint32_t style);
    std::int32_t ScreenTop() const;
    popyo::Status StepOutToEdge(const SlideBounds& bounds);
    popyo::Status StepOutToHome();
    popyo::Status StepIn(const SlideBounds& bounds);

    WindowSystem* ws_;
    const EngineWide* wide_;
};

}  // namespace popyo
