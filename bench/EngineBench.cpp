// Nanoseconds per tick and per control message, on the simulated desktop. The simulated
// window manager answers from memory, so these figures are the engine's own cost.
#include <benchmark/benchmark.h>

#include "engine/frmPopyonnEngine.h"
#include "platform/SimDesktop.h"

namespace popyo {
namespace {

struct Desk {
    SimDesktop sim;
    TformPopyonnEngine engine{sim};
    std::vector<Hwnd> windows;

    explicit Desk(int n, bool sliding) {
        sim.AddShellWindows();
        engine.FormCreate();
        sim.recordCalls = false;
        sim.cursor = {960, 540};
        if (sliding) {
            // One pixel per step across a window a billion pixels wide: it slides for as
            // long as the benchmark runs.
            engine.Wide.MoveStep = 1;
        }
        for (int i = 0; i < n; ++i) {
            const TRect r = sliding ? TRect{0, 10, 1 << 30, 60} : TRect{-300, 10, 0, 60};
            windows.push_back(sim.AddWindow(r));
            engine.RegisterWindow(windows.back(), edLeft);
        }
        for (auto& slot : engine.RegWins) {
            slot->Status = sliding ? rsHiding : rsHidden;
            slot->MouseWasOut = true;
        }
    }
};

void BM_IdleTick(benchmark::State& state) {
    Desk d(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        d.engine.Timer1Timer();
    }
}
BENCHMARK(BM_IdleTick)->Arg(0)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000);

void BM_SlidingTick(benchmark::State& state) {
    Desk d(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        d.engine.Timer1Timer();
    }
}
BENCHMARK(BM_SlidingTick)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000);

// Each message names the middle one of 100 registered windows.
void BM_ControlMessage(benchmark::State& state) {
    Desk d(100, false);
    const Hwnd frontEnd = d.sim.AddWindow({0, 0, 10, 10}, "FrontEnd");
    d.engine.AttachFrontEnd(frontEnd, 0);
    const auto msg = static_cast<std::uint32_t>(state.range(0));
    const Hwnd w = d.windows[50];
    std::uint32_t lParam = 0;
    switch (msg) {
        case EM_REGISTER:
            lParam = edLeft;
            break;
        case EM_SETOWNER:
        case EM_CLASSIFY:
        case EM_ATTACH:
            lParam = frontEnd;
            break;
        case EM_POP:
            lParam = edTop;
            break;
        default:
            break;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(d.engine.Dispatch(msg, w, lParam));
    }
}
BENCHMARK(BM_ControlMessage)
    ->ArgName("msg")
    ->Arg(EM_ATTACH)
    ->Arg(EM_REGISTER)
    ->Arg(EM_SETOWNER)
    ->Arg(EM_SETHOME)
    ->Arg(EM_POP)
    ->Arg(EM_HIDE)
    ->Arg(EM_PIN)
    ->Arg(EM_UNPIN)
    ->Arg(EM_GETSTATUS)
    ->Arg(EM_GETEDGE)
    ->Arg(EM_CLASSIFY)
    ->Arg(EM_GETPINNED)
    ->Arg(EM_GETHOME);

}  // namespace
}  // namespace popyo
