// BenchFloor: the least a program can do and still wake the way the engine does. A hidden
// top-level window runs a 50 ms timer in a message loop, and its window procedure answers
// 0x8200 at once with 0, so a round trip to it is the bare price of a cross-process
// SendMessage. The window's title is "popyo bench floor MODE".
//
//   BenchFloor plain              only the timer
//   BenchFloor cursor             each tick also reads the cursor position
//   BenchFloor fixed              each tick also makes the fixed calls of an idle engine
//                                 tick: the foreground window, the two mouse buttons (with
//                                 one reading of the button swap) and the disable key, the
//                                 cursor, and every 20th tick the desktop rectangle
//   BenchFloor calls TAG COUNT    the fixed calls and, as the engine checks each window it
//                                 holds, a style and a rectangle read of each of the COUNT
//                                 windows titled "TAG 0" .. "TAG COUNT-1"
//   BenchFloor needed TAG COUNT   only what no engine that polls can do without: the cursor,
//                                 the foreground window, and the two reads of each window
//
// The variants tell what the engine's own work costs from what the window manager's
// answers cost.
//
// An optional last argument PERIOD sets the timer's period in ms (default 50). Timers of one
// period keep the phase they started with, and a call costs more when it meets another
// program's calls at the Wine server or the X server: with a period of its own, a floor's
// phase runs through the engine's tick and the other floors' over a stretch, instead of
// keeping whatever place it happened to start in. The script scales its CPU to 20 ticks a
// second.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kClassName[] = L"PopyoBenchFloor";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMs = 50;
constexpr UINT kShortestPeriodMs = 10;
constexpr UINT kLongestPeriodMs = 1000;
constexpr UINT kQueryMessage = 0x8200;
constexpr int kDisableKey = VK_CONTROL;

enum class Mode { plain, cursor, calls, needed };
// The engine reads the desktop rectangle on every 20th idle tick.
constexpr unsigned kDeskReadEvery = 20;

struct Floor {
    Mode mode = Mode::plain;
    std::wstring name = L"plain";
    std::wstring tag;
    std::size_t count = 0;
    std::vector<HWND> windows;
    unsigned ticks = 0;
    UINT periodMs = kTickMs;
};

// The engine reads the logical buttons: with swapped buttons it asks for the other one.
bool ButtonDown(int vk, bool swapped) {
    if (swapped) {
        vk = vk == VK_LBUTTON ? VK_RBUTTON : VK_LBUTTON;
    }
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

// The windows are looked up until all are there; the search itself is not part of a tick.
void FindWindows(Floor& floor) {
    floor.windows.clear();
    for (std::size_t i = 0; i < floor.count; ++i) {
        const std::wstring title = floor.tag + L" " + std::to_wstring(i);
        if (HWND wnd = ::FindWindowW(nullptr, title.c_str())) {
            floor.windows.push_back(wnd);
        }
    }
}

// The results go into a volatile sink so that no call can be dropped as unused.
void WindowCalls(Floor& floor) {
    if (floor.windows.size() < floor.count) {
        FindWindows(floor);
    }
    volatile LONG_PTR sink = 0;
    RECT r{};
    for (HWND wnd : floor.windows) {
        sink = ::GetWindowLongA(wnd, GWL_STYLE);
        ::GetWindowRect(wnd, &r);
    }
    (void)sink;
}

void EngineCalls(Floor& floor) {
    volatile LONG_PTR sink = 0;
    RECT r{};
    POINT p{};
    sink = reinterpret_cast<LONG_PTR>(::GetForegroundWindow());
    if (floor.ticks++ % kDeskReadEvery == 0) {
        ::GetWindowRect(::GetDesktopWindow(), &r);
    }
    const bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
    const bool leftDown = ButtonDown(VK_LBUTTON, swapped);
    sink = leftDown || ButtonDown(VK_RBUTTON, swapped);
    ::GetCursorPos(&p);
    sink = (::GetAsyncKeyState(kDisableKey) & 0x8000) != 0;
    (void)sink;
    WindowCalls(floor);
}

void NeededCalls(Floor& floor) {
    volatile LONG_PTR sink = 0;
    POINT p{};
    ::GetCursorPos(&p);
    sink = reinterpret_cast<LONG_PTR>(::GetForegroundWindow());
    (void)sink;
    WindowCalls(floor);
}

void OnTick(Floor& floor) {
    switch (floor.mode) {
        case Mode::plain:
            break;
        case Mode::cursor: {
            POINT p{};
            ::GetCursorPos(&p);
            break;
        }
        case Mode::calls:
            EngineCalls(floor);
            break;
        case Mode::needed:
            NeededCalls(floor);
            break;
    }
}

LRESULT CALLBACK FloorWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* floor = reinterpret_cast<Floor*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    switch (msg) {
        case kQueryMessage:
            return 0;
        case WM_TIMER:
            if (floor != nullptr && wParam == kTimerId) {
                OnTick(*floor);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }
}

bool ParseArguments(Floor& floor) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr) {
        return false;
    }
    floor.name = argc > 1 ? argv[1] : L"plain";
    const bool windowed = floor.name == L"calls" || floor.name == L"needed";
    const int modeArgs = windowed ? 4 : 2;
    bool ok = true;
    if (floor.name == L"plain" || argc == 1) {
        floor.mode = Mode::plain;
    } else if (floor.name == L"cursor") {
        floor.mode = Mode::cursor;
    } else if (floor.name == L"fixed") {
        floor.mode = Mode::calls;
    } else if (windowed && argc >= modeArgs) {
        floor.mode = floor.name == L"calls" ? Mode::calls : Mode::needed;
        floor.tag = argv[2];
        floor.count = static_cast<std::size_t>(std::wcstoul(argv[3], nullptr, 10));
    } else {
        ok = false;
    }
    if (ok && argc == modeArgs + 1) {
        const unsigned long period = std::wcstoul(argv[modeArgs], nullptr, 10);
        ok = period >= kShortestPeriodMs && period <= kLongestPeriodMs;
        floor.periodMs = static_cast<UINT>(period);
    } else if (argc > modeArgs) {
        ok = false;
    }
    ::LocalFree(argv);
    return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Floor floor;
    if (!ParseArguments(floor)) {
        return 2;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FloorWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (::RegisterClassExW(&wc) == 0) {
        return 1;
    }
    const std::wstring title = L"popyo bench floor " + floor.name;
    // Never shown, like the engine's own window.
    HWND wnd = ::CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPED, 0, 0, 100, 30,
                                 nullptr, nullptr, instance, &floor);
    if (wnd == nullptr || ::SetTimer(wnd, kTimerId, floor.periodMs, nullptr) == 0) {
        return 1;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
