// The system timer's 1 ms resolution, held while slide frames are drawn.
#pragma once

#include <windows.h>

#include "platform/Win32Util_win.h"

namespace popyo {

class FineTimerResolution {
  public:
    FineTimerResolution() = default;
    FineTimerResolution(const FineTimerResolution&) = delete;
    FineTimerResolution& operator=(const FineTimerResolution&) = delete;
    ~FineTimerResolution() { Release(); }

    // Asks for 1 ms unless it is held already; false where it cannot be had.
    bool Hold();
    // Gives it back when it is held.
    void Release();

  private:
    using PeriodFn = UINT(WINAPI*)(UINT);
    bool LookUp();

    UniqueModule winmm_;
    PeriodFn beginPeriod_ = nullptr;
    PeriodFn endPeriod_ = nullptr;
    bool lookedUp_ = false;
    bool held_ = false;
};

}  // namespace popyo
