// Frames between ticks: while windows slide, each tick's move is drawn in several smaller
// moves spread over the tick. The engine decides every place at its ticks; the frames only
// lead each sliding window along the straight line to where the next tick will put it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Geometry.h"
#include "protocol/PopyoDef.h"

namespace popyo {

// One window on its way from where this tick put it to where the next tick will.
struct FramedSlide {
    int index = 0;  // in RegWins
    Hwnd wnd = 0;
    Status status = rsNone;
    TPoint from;
    TPoint to;
    TPoint shown;  // where the last move, the tick's or a frame's, put it
};

class SlideFrames {
  public:
    static constexpr std::int64_t kTickMicros = 50000;

    // Frame k of `frames`, 0 < k < frames: on the line from `from` to `to`, rounded toward
    // `from`.
    static TPoint Place(TPoint from, TPoint to, int frame, int frames);

    // Plans the frames of the tick that started at `tickMicros`; the slides' storage is
    // kept from plan to plan, so a tick allocates nothing once it has been through one.
    void Start(std::int64_t tickMicros, int frames);
    void Add(const FramedSlide& slide) { slides_.push_back(slide); }
    void Clear() {
        slides_.clear();
        ++plan_;
    }
    // Changes whenever the frames are planned afresh or stopped.
    std::uint64_t Plan() const { return plan_; }
    bool Active() const { return !slides_.empty(); }
    std::vector<FramedSlide>& Slides() { return slides_; }

    // The last frame that is due at `now`, 0 before the first; never the tick's own.
    int DueFrame(std::int64_t now) const;
    int LastShown() const { return shown_; }
    // Marks frames up to `frame` shown; answers whether frames are left for this tick.
    bool Shown(int frame);
    int Frames() const { return frames_; }
    // When the next frame not yet shown is due.
    std::int64_t NextDue() const;

  private:
    std::vector<FramedSlide> slides_;
    std::int64_t tickMicros_ = 0;
    int frames_ = 1;
    int shown_ = 0;
    std::uint64_t plan_ = 0;
};

}  // namespace popyo
