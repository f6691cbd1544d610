// The engine-wide values that the tick, the slide steps and the settings share.
#pragma once

#include <cstdint>

#include "engine/EngineOptions.h"
#include "platform/Geometry.h"
#include "platform/Monitors.h"

namespace popyo {

struct EngineWide {
    TRect DeskRect{};             // the desktop rectangle, as the tick last read it
    MonitorList Monitors;         // read with the desktop rectangle
    std::int32_t MoveStep = 150;  // pixels per slide step
    std::int32_t EdgeWidth = 1;   // width of the zone along a screen edge that pops
    std::int32_t OutMargin = 15;  // slack around a shown window that still counts as inside
    EngineOptions Options;        // set by front-ends, never saved
};

}  // namespace popyo
