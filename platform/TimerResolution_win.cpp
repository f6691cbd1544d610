#include "platform/TimerResolution_win.h"

#include <mmsystem.h>

namespace popyo {

// winmm.dll is not one of the DLLs Windows always takes from its own folder, so an import of
// it would be looked for first beside the executable, in a folder every program of the user
// may write to: a DLL planted there would run inside the engine, elevated with it. It is
// loaded by name at the first slide drawn in frames, from the system folder alone, and a
// system without it draws the frames at the timer's usual resolution.
bool FineTimerResolution::LookUp() {
    if (!lookedUp_) {
        lookedUp_ = true;
        winmm_ =
            UniqueModule(::LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        if (winmm_) {
            beginPeriod_ = reinterpret_cast<PeriodFn>(
                reinterpret_cast<void*>(::GetProcAddress(winmm_.Get(), "timeBeginPeriod")));
            endPeriod_ = reinterpret_cast<PeriodFn>(
                reinterpret_cast<void*>(::GetProcAddress(winmm_.Get(), "timeEndPeriod")));
        }
    }
    return beginPeriod_ != nullptr && endPeriod_ != nullptr;
}

bool FineTimerResolution::Hold() {
    if (!held_ && LookUp()) {
        held_ = beginPeriod_(1) == TIMERR_NOERROR;
    }
    return held_;
}

void FineTimerResolution::Release() {
    if (held_) {
        endPeriod_(1);
        held_ = false;
    }
}

}  // namespace popyo
