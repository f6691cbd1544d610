// BenchClient: the measuring side of the Wine benchmark. Each verb does one step and prints
// its figures as "key=value" lines for scripts/bench to read.
//
//   BenchClient wait TITLE...            until a top-level window of each title exists
//   BenchClient register EDGE TAG COUNT  registers "TAG 0".."TAG COUNT-1" at EDGE with the
//                                        engine and waits until all are tucked away
//   BenchClient roundtrip COUNT FLOOR WINDOW
//                                        COUNT sends of EM_GETSTATUS for WINDOW to the engine
//                                        and of the same message to the window titled
//                                        FLOOR, interleaved, in 20 batches; median and p95
//                                        (medians over the batches) and p99 of each
//   BenchClient slide EDGE WINDOW CYCLES PID FRAMES...
//                                        registers WINDOW at EDGE, then pops and hides it
//                                        CYCLES times with each number of moves a tick in
//                                        FRAMES, the settings taking turns a cycle at a
//                                        time; for each, median, p95 and p99 (medians
//                                        over the turns) of the intervals between the
//                                        window's position changes, as slide_ms_... (one
//                                        move a tick) or slideN_ms_..., the CPU of the
//                                        engine, whose Unix process is PID, over its
//                                        cheapest turn, as cpu_s_slideN, and that against
//                                        the first setting's cheapest, as cpu_ratio_slideN
//   BenchClient calls WINDOW             median time of each window-manager call an idle
//                                        engine tick makes, WINDOW standing for a held one
//   BenchClient traymessages KEY         how many messages the tray's window procedure has
//                                        handled so far, this query included, as KEY=N
//
// EDGE is left, top, bottom or right. Exit status 1 when the engine or a window does not
// answer in time.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frontends/tray/TrayProcess_win.h"
#include "protocol/PopyoDef.h"

namespace {

using popyo::Edge;
using popyo::Status;

constexpr DWORD kReplyTimeoutMs = 5000;
constexpr double kStartTimeoutS = 30;
constexpr double kSlideTimeoutS = 120;
// A slide is over once the window has kept still this long and the engine says so: many
// ticks, so that a late tick is not taken for the end.
constexpr double kStillS = 0.5;
constexpr int kWarmUpSends = 200;
constexpr std::size_t kRoundTripBatches = 20;
// Not a multiple of the 50 ms tick.
constexpr DWORD kBatchPauseMs = 37;

// Seconds on the performance counter.
class Stopwatch {
  public:
    Stopwatch() {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        frequency_ = static_cast<double>(f.QuadPart);
    }
    double Now() const {
        LARGE_INTEGER c;
        ::QueryPerformanceCounter(&c);
        return static_cast<double>(c.QuadPart) / frequency_;
    }

  private:
    double frequency_ = 1;
};

// Nearest rank: the smallest sample that at least `fraction` of the samples do not exceed.
double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) {
        return 0;
    }
    std::ranges::sort(samples);
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * samples.size()));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

void PrintFigure(std::string_view key, double value) {
    std::printf("%.*s=%.3f\n", static_cast<int>(key.size()), key.data(), value);
}

bool PollUntil(const std::function<bool()>& done, double timeoutS) {
    const Stopwatch clock;
    const double deadline = clock.Now() + timeoutS;
    while (!done()) {
        if (clock.Now() > deadline) {
            return false;
        }
        ::Sleep(10);
    }
    return true;
}

std::optional<LRESULT> Send(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(wnd, msg, wParam, lParam, SMTO_NORMAL, kReplyTimeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

// Control messages carry a window handle as a 32-bit value.
WPARAM HandleParam(HWND wnd) {
    return static_cast<WPARAM>(reinterpret_cast<UINT_PTR>(wnd) & 0xFFFFFFFFu);
}

std::optional<Edge> ParseEdge(std::string_view name) {
    constexpr std::pair<std::string_view, Edge> kEdges[] = {
        {"left", popyo::edLeft},
        {"top", popyo::edTop},
        {"bottom", popyo::edBottom},
        {"right", popyo::edRight},
    };
    for (const auto& [text, edge] : kEdges) {
        if (text == name) {
            return edge;
        }
    }
    return std::nullopt;
}

HWND WaitForWindow(const std::string& title) {
    HWND found = nullptr;
    PollUntil([&] { return (found = ::FindWindowA(nullptr, title.c_str())) != nullptr; },
              kStartTimeoutS);
    if (found == nullptr) {
        std::fprintf(stderr, "BenchClient: no window \"%s\"\n", title.c_str());
    }
    return found;
}

// The engine window, once it answers control messages.
HWND WaitForEngine() {
    HWND engine = nullptr;
    const bool up = PollUntil(
        [&] {
            engine = ::FindWindowA(popyo::kEngineClassName, popyo::kEngineWindowTitle);
            return engine != nullptr && Send(engine, popyo::EM_GETSTATUS, 0, 0) == 0;
        },
        kStartTimeoutS);
    if (!up) {
        std::fprintf(stderr, "BenchClient: the engine does not answer\n");
        return nullptr;
    }
    return engine;
}

std::optional<LRESULT> StatusOf(HWND engine, HWND wnd) {
    return Send(engine, popyo::EM_GETSTATUS, HandleParam(wnd), 0);
}

// Away from every edge, so that the engine pops nothing by itself.
void CenterCursor() {
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2);
}

int Wait(const std::vector<std::string>& titles) {
    for (const auto& title : titles) {
        if (WaitForWindow(title) == nullptr) {
            return 1;
        }
    }
    return 0;
}

int Register(Edge edge, const std::string& tag, int count) {
    HWND engine = WaitForEngine();
    if (engine == nullptr) {
        return 1;
    }
    CenterCursor();
    std::vector<HWND> windows;
    for (int i = 0; i < count; ++i) {
        HWND wnd = WaitForWindow(tag + " " + std::to_string(i));
        if (wnd == nullptr || !Send(engine, popyo::EM_REGISTER, HandleParam(wnd), edge)) {
            return 1;
        }
        windows.push_back(wnd);
    }
    const bool tucked = PollUntil(
        [&] {
            return std::ranges::all_of(
                windows, [&](HWND wnd) { return StatusOf(engine, wnd) == popyo::rsHidden; });
        },
        kSlideTimeoutS);
    if (!tucked) {
        std::fprintf(stderr, "BenchClient: the windows were not tucked away\n");
        return 1;
    }
    PrintFigure("registered", count);
    return 0;
}

// The median over the batches of each batch's `fraction` percentile: a stall of the machine
// that falls on a few batches moves it no more than any one batch.
double BatchPercentile(const std::vector<std::vector<double>>& batches, double fraction) {
    std::vector<double> each;
    for (const std::vector<double>& batch : batches) {
        each.push_back(Percentile(batch, fraction));
    }
    return Percentile(each, 0.5);
}

std::vector<double> Joined(const std::vector<std::vector<double>>& batches) {
    std::vector<double> all;
    for (const std::vector<double>& batch : batches) {
        all.insert(all.end(), batch.begin(), batch.end());
    }
    return all;
}

void PrintRoundTrips(std::string_view name,
                     const std::vector<std::vector<double>>& batches,
                     const std::vector<double>& all) {
    const std::string prefix(name);
    PrintFigure(prefix + "_median", BatchPercentile(batches, 0.5) * 1e6);
    PrintFigure(prefix + "_p95", BatchPercentile(batches, 0.95) * 1e6);
    PrintFigure(prefix + "_p99", Percentile(all, 0.99) * 1e6);
    PrintFigure(prefix + "_max", Percentile(all, 1.0) * 1e6);
    PrintFigure(prefix + "_count", static_cast<double>(all.size()));
}

// The median, p95 and p99 of the intervals are medians over the turns: a turn the machine
// held up moves them no more than one turn does. Intervals are in seconds, figures in ms.
void PrintTurnSpread(std::string_view name, const std::vector<std::vector<double>>& turns) {
    const std::string prefix(name);
    const std::vector<double> all = Joined(turns);
    PrintFigure(prefix + "_median", BatchPercentile(turns, 0.5) * 1e3);
    PrintFigure(prefix + "_p95", BatchPercentile(turns, 0.95) * 1e3);
    PrintFigure(prefix + "_p99", BatchPercentile(turns, 0.99) * 1e3);
    PrintFigure(prefix + "_max", Percentile(all, 1.0) * 1e3);
    PrintFigure(prefix + "_count", static_cast<double>(all.size()));
}

// The sends alternate between the two targets, so that whatever else the machine does in
// the meantime falls on both alike. They go in batches a short pause apart, each batch
// starting at another point of the engine's tick.
int RoundTrip(int count, const std::string& floorTitle, const std::string& windowTitle) {
    HWND engine = WaitForEngine();
    HWND floor = WaitForWindow(floorTitle);
    HWND wnd = WaitForWindow(windowTitle);
    if (engine == nullptr || floor == nullptr || wnd == nullptr) {
        return 1;
    }
    if (static_cast<std::size_t>(count) < kRoundTripBatches) {
        std::fprintf(stderr, "BenchClient: fewer sends than batches\n");
        return 2;
    }
    const Stopwatch clock;
    std::vector<std::vector<double>> engineTimes(kRoundTripBatches);
    std::vector<std::vector<double>> floorTimes(kRoundTripBatches);
    auto timedSend = [&](HWND target, std::vector<double>* into) {
        const double start = clock.Now();
        const bool answered = Send(target, popyo::EM_GETSTATUS, HandleParam(wnd), 0).has_value();
        const double elapsed = clock.Now() - start;
        if (into != nullptr) {
            into->push_back(elapsed);
        }
        return answered;
    };
    for (int i = 0; i < kWarmUpSends; ++i) {
        if (!timedSend(engine, nullptr) || !timedSend(floor, nullptr)) {
            return 1;
        }
    }
    const auto total = static_cast<std::size_t>(count);
    for (std::size_t b = 0; b < kRoundTripBatches; ++b) {
        if (b > 0) {
            ::Sleep(kBatchPauseMs);
        }
        for (std::size_t i = b * total / kRoundTripBatches; i < (b + 1) * total / kRoundTripBatches;
             ++i) {
            const bool engineFirst = i % 2 == 0;
            HWND first = engineFirst ? engine : floor;
            HWND second = engineFirst ? floor : engine;
            if (!timedSend(first, engineFirst ? &engineTimes[b] : &floorTimes[b]) ||
                !timedSend(second, engineFirst ? &floorTimes[b] : &engineTimes[b])) {
                std::fprintf(stderr, "BenchClient: a send timed out\n");
                return 1;
            }
        }
    }
    const std::vector<double> engineAll = Joined(engineTimes);
    const std::vector<double> floorAll = Joined(floorTimes);
    PrintRoundTrips("engine_us", engineTimes, engineAll);
    PrintRoundTrips("floor_us", floorTimes, floorAll);
    // The sends that met a tick: slower than all but the floor's slowest hundredth.
    const double floorP99 = Percentile(floorAll, 0.99);
    PrintFigure("engine_over_floor_p99", static_cast<double>(std::ranges::count_if(
                                             engineAll, [&](double t) { return t > floorP99; })));
    return 0;
}

bool SameRect(const RECT& a, const RECT& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Polls the window's rectangle about once a millisecond and appends the intervals between
// its changes until it has kept still a while and the engine reports `until`. The wait
// before the first move is not an interval.
bool RecordSlide(HWND engine, HWND wnd, Status until, std::vector<double>& intervals) {
    const Stopwatch clock;
    const double deadline = clock.Now() + kSlideTimeoutS;
    RECT last{};
    ::GetWindowRect(wnd, &last);
    std::optional<double> lastChange;
    double stillSince = clock.Now();
    while (clock.Now() < deadline) {
        ::Sleep(1);
        RECT now{};
        ::GetWindowRect(wnd, &now);
        const double t = clock.Now();
        if (!SameRect(now, last)) {
            if (lastChange) {
                intervals.push_back(t - *lastChange);
            }
            lastChange = t;
            stillSince = t;
            last = now;
        } else if (t - stillSince > kStillS) {
            if (StatusOf(engine, wnd) == until) {
                return true;
            }
            stillSince = t;
        }
    }
    std::fprintf(stderr, "BenchClient: the slide did not end\n");
    return false;
}

// The time the threads of a Unix process have run, in seconds: the sum of the scheduler's
// run-time counters in /proc/PID/task/*/schedstat, which Wine shows on the drive Z:.
std::optional<double> UnixCpuSeconds(unsigned long pid) {
    const std::wstring task = L"Z:\\proc\\" + std::to_wstring(pid) + L"\\task\\";
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((task + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    double ns = 0;
    do {
        if (found.cFileName[0] == L'.') {
            continue;
        }
        HANDLE file = ::CreateFileW((task + found.cFileName + L"\\schedstat").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            continue;  // The thread ended meanwhile.
        }
        char text[128] = {};
        DWORD read = 0;
        if (::ReadFile(file, text, sizeof text - 1, &read, nullptr)) {
            ns += std::strtod(text, nullptr);
        }
        ::CloseHandle(file);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return ns / 1e9;
}

// What one number of moves a tick gathers over its turns.
struct SlideSetting {
    int frames = 1;
    std::vector<std::vector<double>> turnIntervals;
    std::vector<double> turnCpuS;
};

bool SlideCycle(HWND engine, HWND wnd, Edge edge, unsigned long pid, SlideSetting& setting) {
    std::vector<double>& intervals = setting.turnIntervals.emplace_back();
    const std::optional<double> before = UnixCpuSeconds(pid);
    const bool ok = before &&
                    Send(engine, popyo::EM_SETOPTION, popyo::opSlideFrames, setting.frames) &&
                    Send(engine, popyo::EM_POP, 0, edge) &&
                    RecordSlide(engine, wnd, popyo::rsShown, intervals) &&
                    Send(engine, popyo::EM_HIDE, HandleParam(wnd), 0) &&
                    RecordSlide(engine, wnd, popyo::rsHidden, intervals);
    const std::optional<double> after = UnixCpuSeconds(pid);
    if (!ok || !after) {
        std::fprintf(stderr, "BenchClient: a slide cycle failed\n");
        return false;
    }
    setting.turnCpuS.push_back(*after - *before);
    return true;
}

// The settings take turns a cycle at a time: a change in the machine's pace over the minutes
// falls on each of them alike.
int Slide(Edge edge,
          const std::string& title,
          int cycles,
          unsigned long pid,
          std::vector<SlideSetting> settings) {
    HWND engine = WaitForEngine();
    HWND wnd = WaitForWindow(title);
    if (engine == nullptr || wnd == nullptr) {
        return 1;
    }
    CenterCursor();
    // The scheduler's default granularity would add its own steps to every poll.
    ::timeBeginPeriod(1);
    std::vector<double> unused;
    bool ok = Send(engine, popyo::EM_REGISTER, HandleParam(wnd), edge) &&
              RecordSlide(engine, wnd, popyo::rsHidden, unused);
    for (int i = 0; ok && i < cycles; ++i) {
        for (SlideSetting& setting : settings) {
            ok = ok && SlideCycle(engine, wnd, edge, pid, setting);
        }
    }
    ::timeEndPeriod(1);
    if (!ok) {
        return 1;
    }
    for (const SlideSetting& setting : settings) {
        const std::string n = std::to_string(setting.frames);
        PrintTurnSpread(setting.frames == 1 ? "slide_ms" : "slide" + n + "_ms",
                        setting.turnIntervals);
        // Some turns read a fifth or so higher than the others, and not always with the turn
        // beside them: what a setting costs is its cheapest turn.
        const double cheapest = std::ranges::min(setting.turnCpuS);
        PrintFigure("cpu_s_slide" + n, cheapest);
        PrintFigure("cpu_ratio_slide" + n, cheapest / std::ranges::min(settings.front().turnCpuS));
    }
    return 0;
}

// One call of each kind an idle engine tick makes. Results go to a volatile sink so that
// no call is dropped as unused.
struct TickCall {
    const char* name;
    void (*call)(HWND held, volatile LONG_PTR& sink);
};

constexpr TickCall kTickCalls[] = {
    {"foreground",
     [](HWND, volatile LONG_PTR& sink) {
         sink = reinterpret_cast<LONG_PTR>(::GetForegroundWindow());
     }},
    {"desktop_rect",
     [](HWND, volatile LONG_PTR& sink) {
         RECT r{};
         sink = ::GetWindowRect(::GetDesktopWindow(), &r);
     }},
    {"swap_buttons",
     [](HWND, volatile LONG_PTR& sink) { sink = ::GetSystemMetrics(SM_SWAPBUTTON); }},
    {"async_key", [](HWND, volatile LONG_PTR& sink) { sink = ::GetAsyncKeyState(VK_LBUTTON); }},
    {"cursor",
     [](HWND, volatile LONG_PTR& sink) {
         POINT p{};
         sink = ::GetCursorPos(&p);
     }},
    {"window_style",
     [](HWND held, volatile LONG_PTR& sink) { sink = ::GetWindowLongA(held, GWL_STYLE); }},
    {"window_rect",
     [](HWND held, volatile LONG_PTR& sink) {
         RECT r{};
         sink = ::GetWindowRect(held, &r);
     }},
};

// Each call is timed alone and the median kept: a call that the scheduler interrupts
// says nothing about the call.
int Calls(const std::string& title) {
    constexpr int kTimes = 2000;
    HWND held = WaitForWindow(title);
    if (held == nullptr) {
        return 1;
    }
    const Stopwatch clock;
    volatile LONG_PTR sink = 0;
    for (const TickCall& tickCall : kTickCalls) {
        std::vector<double> times;
        times.reserve(kTimes);
        for (int i = 0; i < kTimes; ++i) {
            const double start = clock.Now();
            tickCall.call(held, sink);
            times.push_back(clock.Now() - start);
        }
        PrintFigure(std::string("call_us_") + tickCall.name, Percentile(times, 0.5) * 1e6);
    }
    return 0;
}

// A whole positive number, or nullopt.
std::optional<int> ParseCount(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value <= 0 || value > 1000000) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<unsigned long> ParsePid(const std::string& text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value == 0) {
        return std::nullopt;
    }
    return value;
}

// The query itself is one of the messages counted.
int TrayMessages(const std::string& key) {
    HWND tray = ::FindWindowW(popyo::tray::kTrayWindowClass, nullptr);
    const auto count =
        tray != nullptr ? Send(tray, popyo::tray::kTrayMessageCount, 0, 0) : std::nullopt;
    if (!count) {
        std::fprintf(stderr, "BenchClient: the tray does not answer\n");
        return 1;
    }
    PrintFigure(key, static_cast<double>(*count));
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: BenchClient wait TITLE...\n"
                 "       BenchClient register EDGE TAG COUNT\n"
                 "       BenchClient roundtrip COUNT FLOOR WINDOW\n"
                 "       BenchClient slide EDGE WINDOW CYCLES PID FRAMES...\n"
                 "       BenchClient calls WINDOW\n"
                 "       BenchClient traymessages KEY\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The script reads the figures as they come, not when the buffer happens to fill.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.empty()) {
        return Usage();
    }
    const std::string& verb = args[0];
    if (verb == "wait" && args.size() >= 2) {
        return Wait({args.begin() + 1, args.end()});
    }
    if (verb == "register" && args.size() == 4) {
        const auto edge = ParseEdge(args[1]);
        const auto count = ParseCount(args[3]);
        return edge && count ? Register(*edge, args[2], *count) : Usage();
    }
    if (verb == "roundtrip" && args.size() == 4) {
        const auto count = ParseCount(args[1]);
        return count ? RoundTrip(*count, args[2], args[3]) : Usage();
    }
    if (verb == "slide" && args.size() >= 6) {
        const auto edge = ParseEdge(args[1]);
        const auto cycles = ParseCount(args[3]);
        const auto pid = ParsePid(args[4]);
        std::vector<SlideSetting> settings;
        for (auto arg = args.begin() + 5; arg != args.end(); ++arg) {
            const auto frames = ParseCount(*arg);
            if (!frames) {
                return Usage();
            }
            settings.push_back({.frames = *frames, .turnIntervals = {}, .turnCpuS = {}});
        }
        return edge && cycles && pid ? Slide(*edge, args[2], *cycles, *pid, std::move(settings))
                                     : Usage();
    }
    if (verb == "calls" && args.size() == 2) {
        return Calls(args[1]);
    }
    if (verb == "traymessages" && args.size() == 2) {
        return TrayMessages(args[1]);
    }
    return Usage();
}
