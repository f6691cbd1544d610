#include "engine/SlideFrames.h"

#include <algorithm>

namespace popyo {

namespace {

// Integer division truncates toward zero, that is toward the start of the line.
std::int32_t Along(std::int32_t from, std::int32_t to, int frame, int frames) {
    const std::int64_t way = std::int64_t{to} - from;
    return Saturate(from + way * frame / frames);
}

}  // namespace

TPoint SlideFrames::Place(TPoint from, TPoint to, int frame, int frames) {
    return {Along(from.X, to.X, frame, frames), Along(from.Y, to.Y, frame, frames)};
}

void SlideFrames::Start(std::int64_t tickMicros, int frames) {
    slides_.clear();
    ++plan_;
    tickMicros_ = tickMicros;
    frames_ = std::max(frames, 1);
    shown_ = 0;
}

int SlideFrames::DueFrame(std::int64_t now) const {
    const std::int64_t since = std::max<std::int64_t>(now - tickMicros_, 0);
    return static_cast<int>(std::min<std::int64_t>(since * frames_ / kTickMicros, frames_ - 1));
}

bool SlideFrames::Shown(int frame) {
    shown_ = std::max(shown_, frame);
    return shown_ < frames_ - 1 && Active();
}

std::int64_t SlideFrames::NextDue() const {
    // Rounded up: at that moment DueFrame counts the frame as due.
    return tickMicros_ + (kTickMicros * (shown_ + 1) + frames_ - 1) / frames_;
}

}  // namespace popyo
