// What an idle engine costs at each tick: window-manager calls and heap allocations.
// The engine wakes 20 times a second all day, so both are counted exactly.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "engine/frmPopyonnEngine.h"
#include "platform/SimDesktop.h"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<std::size_t> g_allocations{0};

}  // namespace

// Counts allocations made while g_counting is set; every other allocation passes through.
void* operator new(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace popyo {
namespace {

class AllocationCounter {
  public:
    AllocationCounter() {
        g_allocations = 0;
        g_counting = true;
    }
    ~AllocationCounter() { g_counting = false; }
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;
    std::size_t Count() const { return g_allocations.load(); }
};

// Guards the guard: a counter that silently missed allocations would pass every test here.
TEST(AllocationCounter, SeesAnAllocation) {
    AllocationCounter counter;
    auto p = std::make_unique<int>(7);
    EXPECT_EQ(*p, 7);
    EXPECT_GE(counter.Count(), 1u);
}

// An engine on a quiet desktop: the cursor in the middle of the screen, touching no edge
// and no window, no button or key down.
struct IdleDesktop {
    SimDesktop sim;
    TformPopyonnEngine engine{sim};
    IdleDesktop() {
        sim.AddShellWindows();
        engine.FormCreate();
        sim.cursor = {960, 540};
        sim.recordCalls = false;
    }
    // Windows in a column at the left edge, away from the cursor, shown or hidden.
    void RegisterIdle(int n, bool hidden) {
        for (int i = 0; i < n; ++i) {
            const Hwnd w = sim.AddWindow({hidden ? -300 : 0, 10, hidden ? 0 : 300, 60});
            engine.RegisterWindow(w, edLeft);
        }
        for (auto& slot : engine.RegWins) {
            slot->Status = hidden ? rsHidden : rsShown;
            slot->MouseWasOut = true;
        }
        engine.Timer1Timer();  // settle: the first tick may still start a leave
        for (auto& slot : engine.RegWins) {
            slot->Status = hidden ? rsHidden : rsShown;
        }
    }
};

// Foreground window, two mouse buttons, the disable key, the cursor. The desktop rectangle
// is read on some ticks only (DesktopReads below).
constexpr std::uint64_t kFixedCallsPerTick = 5;
// The cursor outside a window that is out: the window under the cursor, its root, its owner,
// its style and its class, once a tick however many windows are out.
constexpr std::uint64_t kLookUpUnderCursor = 5;

struct IdleCase {
    int windows;
    bool hidden;
};

class IdleTick : public ::testing::TestWithParam<IdleCase> {};

TEST_P(IdleTick, MakesTheFixedCallsPlusTwoPerWindowAndAllocatesNothing) {
    IdleDesktop d;
    d.RegisterIdle(GetParam().windows, GetParam().hidden);
    d.sim.ClearCalls();
    std::size_t allocations = 0;
    {
        AllocationCounter counter;
        d.engine.Timer1Timer();
        allocations = counter.Count();
    }
    const auto n = static_cast<std::uint64_t>(GetParam().windows);
    const bool out = n > 0 && !GetParam().hidden;
    EXPECT_EQ(d.sim.TotalCalls(), kFixedCallsPerTick + 2 * n + (out ? kLookUpUnderCursor : 0));
    EXPECT_EQ(d.sim.Count(CallKind::GetWindowLongA), n + (out ? 1 : 0));
    EXPECT_EQ(d.sim.Count(CallKind::GetWindowRect), n);
    EXPECT_EQ(d.sim.Count(CallKind::SetWindowPos), 0u);
    EXPECT_EQ(allocations, 0u);
}

INSTANTIATE_TEST_SUITE_P(WindowCounts,
                         IdleTick,
                         ::testing::Values(IdleCase{0, false},
                                           IdleCase{1, false},
                                           IdleCase{10, true},
                                           IdleCase{1000, false},
                                           IdleCase{1000, true}));

// A sliding window adds the calls of one step: five for StepHide on a maximized window
// (style, restore, two rectangle reads, move), one for StepShow (the move); and before the
// step, DWM's answer whether the window is cloaked.
TEST(SlidingTick, AddsAtMostTheCallsOfOneStep) {
    struct Case {
        const char* name;
        bool maximized;
        Status status;
        std::uint64_t extraCalls;
    };
    const Case cases[] = {
        {"hiding", false, rsHiding, 1 + 3},
        {"hiding maximized", true, rsHiding, 1 + 5},
        {"showing", false, rsShowing, 1 + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IdleDesktop d;
        d.RegisterIdle(10, true);
        const Hwnd w = d.sim.AddWindow({100, 100, 400, 300});
        d.engine.RegisterWindow(w, edLeft);
        Tregwin& slot = *d.engine.RegWins.back();
        slot.MouseWasOut = true;
        slot.Status = c.status;
        if (c.status == rsShowing) {
            d.sim.MoveTo(w, -300, 100);  // comes out, one step short of the edge
        }
        if (c.maximized) {
            d.sim.Maximize(w);
        }
        d.sim.ClearCalls();
        std::size_t allocations = 0;
        {
            AllocationCounter counter;
            d.engine.Timer1Timer();
            allocations = counter.Count();
        }
        // A tick that slides a window reads the desktop rectangle and the monitors first.
        EXPECT_EQ(d.sim.TotalCalls(), kFixedCallsPerTick + 2 + 2 * 11 + c.extraCalls);
        EXPECT_EQ(allocations, 0u);
    }
}

// The desktop rectangle is read at the first tick, every 20th tick after, and on every tick
// for two seconds after the system says the display or a setting changed.
TEST(DesktopReads, FirstTickEveryTwentiethAndTwoSecondsAfterAChange) {
    IdleDesktop d;
    d.RegisterIdle(3, true);  // its tick is the first one
    d.sim.recordCalls = true;
    auto readsOfDesk = [&](int ticks) {
        std::vector<int> reads;
        for (int t = 1; t <= ticks; ++t) {
            d.sim.ClearCalls();
            d.engine.Timer1Timer();
            for (const Call& c : d.sim.CallsOf(CallKind::GetWindowRect)) {
                if (c.wnd == d.engine.DesktopWnd) {
                    reads.push_back(t);
                }
            }
        }
        return reads;
    };
    EXPECT_EQ(readsOfDesk(45), (std::vector<int>{20, 40}));
    d.engine.DesktopChanged();
    std::vector<int> afterChange;
    for (int t = 1; t <= 40; ++t) {
        afterChange.push_back(t);
    }
    afterChange.push_back(60);
    EXPECT_EQ(readsOfDesk(65), afterChange);
}

TEST(QueryMessages, AllocateNothing) {
    IdleDesktop d;
    d.RegisterIdle(100, true);
    const Hwnd w = d.engine.RegWins[50]->Wnd;
    const std::uint32_t queries[] = {EM_GETSTATUS, EM_GETEDGE, EM_CLASSIFY, EM_GETPINNED,
                                     EM_GETHOME};
    AllocationCounter counter;
    for (std::uint32_t msg : queries) {
        d.engine.Dispatch(msg, w, 0);
        d.engine.Dispatch(msg, 0xDEAD, 0);
    }
    EXPECT_EQ(counter.Count(), 0u);
}

}  // namespace
}  // namespace popyo
