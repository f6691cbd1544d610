// Tregwin: the engine's record of one registered window of another program, with the
// per-window slide steps. It never owns the window; it holds its handle.
#pragma once

#include <cstdint>

#include "engine/EngineWide.h"
#include "platform/Geometry.h"
#include "platform/WindowSystem.h"
#include "protocol/PopyoDef.h"

namespace popyo {

class Tregwin {
  public:
    // Every field zero but Wnd. The engine-wide values are read afresh at every step.
    Tregwin(Hwnd wnd, WindowSystem& ws, const EngineWide& wide);

    popyo::Status StepShow();
    popyo::Status StepHide();
    void StartHide();
    popyo::Edge Validate();
    bool ContainsPoint(TPoint p) const;
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

  private:
    void FreeSlot();
    void RestoreIfMaximized(std::uint32_t style);
    popyo::Status StepOutToEdge();
    popyo::Status StepOutToHome();
    popyo::Status StepIn();

    WindowSystem* ws_;
    const EngineWide* wide_;
};

}  // namespace popyo
