// Tregwin: the engine's record of one registered window of another program, with the
// per-window slide steps. It never owns the window; it holds its handle.
#pragma once

#include <cstdint>
#include <optional>

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

// The invisible borders DWM keeps inside a window's rectangle when it draws the visible
// frame at `frame`, side by side; all zero when `frame` is no frame of that rectangle.
TRect FrameInsetsOf(const TRect& rect, const TRect& frame);
// The rectangle without its invisible borders.
TRect VisiblePart(const TRect& rect, const TRect& insets);

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
    void WaitJustBeyondEdge();
    TPoint RestBeyond(const TRect& sides) const;
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
    // Whether the window was cloaked when the engine last asked, and at which tick.
    std::uint64_t CloakAskedAt = ~std::uint64_t{0};
    bool Cloaked = false;
    // Where frames between ticks took the window, and where the last tick put it. Until the
    // next tick has stepped it, a read that finds it at the frame's place sees it at the
    // tick's: the frames only draw the way there.
    struct FramePlace {
        TPoint shown;
        TPoint tick;
    };
    std::optional<FramePlace> Framed;

    SlideBounds Bounds() const;
    // The window's rectangle, as the last tick placed it.
    std::optional<TRect> ReadRect() const;
    // Where the next step (out while showing, in while hiding) puts the window that stands at
    // `at`; nullopt when it would not move.
    std::optional<TPoint> NextStepFrom(const TRect& at) const;

  private:
    void FreeSlot();
    void RestoreIfMaximized(std::uint32_t style);
    std::int32_t ScreenTop() const;
    popyo::Status StepOutToEdge(const SlideBounds& bounds);
    popyo::Status StepOutToHome();
    popyo::Status StepIn(const SlideBounds& bounds, const TRect& insets);
    TRect FrameInsets() const;

    WindowSystem* ws_;
    const EngineWide* wide_;
};

}  // namespace popyo
