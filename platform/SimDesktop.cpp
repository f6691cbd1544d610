#include "platform/SimDesktop.h"

#include <utility>

#include "protocol/PopyoDef.h"

namespace popyo {

namespace {

constexpr std::uint32_t kWsOverlappedWindow = 0x00CF0000;
// Where a minimized window lies until it is restored.
constexpr TRect kMinimizedRect{-32000, -32000, -31840, -31972};

}  // namespace

Hwnd SimWindowTable::Add(SimWindow window) {
    slots_.emplace_back(std::move(window));
    return HandleOf(slots_.size() - 1);
}

SimWindow* SimWindowTable::Find(Hwnd wnd) {
    return const_cast<SimWindow*>(std::as_const(*this).Find(wnd));
}

const SimWindow* SimWindowTable::Find(Hwnd wnd) const {
    if (wnd < kFirstHandle || (wnd - kFirstHandle) % 4 != 0) {
        return nullptr;
    }
    const std::size_t index = (wnd - kFirstHandle) / 4;
    return index < slots_.size() && slots_[index] ? &*slots_[index] : nullptr;
}

SimWindow& SimWindowTable::At(Hwnd wnd) {
    return const_cast<SimWindow&>(std::as_const(*this).At(wnd));
}

const SimWindow& SimWindowTable::At(Hwnd wnd) const {
    if (const SimWindow* w = Find(wnd)) {
        return *w;
    }
    throw std::out_of_range("no such simulated window");
}

void SimWindowTable::Erase(Hwnd wnd) {
    if (Find(wnd) != nullptr) {
        slots_[(wnd - kFirstHandle) / 4].reset();
    }
}

SimDesktop::SimDesktop(TRect screen) : monitors_{screen} {
    SimWindow desktop;
    desktop.className = "#32769";
    desktop.rect = desktop.normalRect = screen;
    desktop.style = kWsVisible;
    desktop.thread = 0;
    desktop_ = windows_.Add(std::move(desktop));
}

void SimDesktop::SetScreen(TRect screen) {
    windows_.At(desktop_).rect = screen;
    monitors_ = MonitorList{screen};
}

void SimDesktop::SetMonitors(const MonitorList& monitors) {
    windows_.At(desktop_).rect = BoundingBox(monitors);
    monitors_ = monitors;
}

Hwnd SimDesktop::AddWindow(TRect rect,
                           std::string className,
                           std::string title,
                           std::uint32_t thread) {
    SimWindow w;
    w.className = std::move(className);
    w.title = std::move(title);
    w.rect = w.normalRect = rect;
    w.style = kWsOverlappedWindow | kWsVisible;
    w.thread = thread;
    w.z = ++zCounter_;
    return windows_.Add(std::move(w));
}

void SimDesktop::Raise(Hwnd wnd) {
    windows_.At(wnd).z = ++zCounter_;
}

Hwnd SimDesktop::AddShellWindows() {
    const Hwnd progman = AddWindow(windows_.At(desktop_).rect, "Progman", "Program Manager", 9);
    windows_.At(progman).style = kWsOverlappedWindow;
    const Hwnd tray = AddWindow({0, 1040, 1920, 1080}, "Shell_TrayWnd", "", 9);
    (void)tray;
    return progman;
}

void SimDesktop::Destroy(Hwnd wnd) {
    windows_.Erase(wnd);
    if (foreground == wnd) {
        foreground = 0;
    }
}

void SimDesktop::Minimize(Hwnd wnd) {
    SimWindow& w = windows_.At(wnd);
    if ((w.style & kWsMinimize) == 0 && (w.style & kWsMaximize) == 0) {
        w.normalRect = w.rect;
    }
    // As on Windows, a minimized window is not maximized too; it remembers to be again.
    if ((w.style & kWsMinimize) == 0) {
        w.restoresMaximized = (w.style & kWsMaximize) != 0;
    }
    w.style = (w.style & ~kWsMaximize) | kWsMinimize;
    w.rect = kMinimizedRect;
    if (foreground == wnd) {
        foreground = 0;
    }
}

// A maximized window covers the screen with its frame hanging over every side.
void SimDesktop::Maximize(Hwnd wnd) {
    SimWindow& w = windows_.At(wnd);
    if ((w.style & (kWsMinimize | kWsMaximize)) == 0) {
        w.normalRect = w.rect;
    }
    const TRect& screen = windows_.At(desktop_).rect;
    w.style = (w.style & ~kWsMinimize) | kWsMaximize | kWsVisible;
    w.rect = {Sub(screen.Left, cxFrame), Sub(screen.Top, cxFrame), Add(screen.Right, cxFrame),
              Add(screen.Bottom, cxFrame)};
}

void SimDesktop::SetVisible(Hwnd wnd, bool visible) {
    SimWindow& w = windows_.At(wnd);
    w.style = visible ? (w.style | kWsVisible) : (w.style & ~kWsVisible);
}

void SimDesktop::MoveTo(Hwnd wnd, std::int32_t left, std::int32_t top) {
    SimWindow& w = windows_.At(wnd);
    w.rect = {left, top, Add(left, Width(w.rect)), Add(top, Height(w.rect))};
}

std::uint64_t SimDesktop::TotalCalls() const {
    std::uint64_t total = 0;
    for (auto c : counts) {
        total += c;
    }
    return total;
}

std::vector<Call> SimDesktop::CallsOf(CallKind kind) const {
    std::vector<Call> out;
    for (const Call& c : calls) {
        if (c.kind == kind) {
            out.push_back(c);
        }
    }
    return out;
}

void SimDesktop::ClearCalls() {
    calls.clear();
    counts = {};
}

void SimDesktop::Record(Call call) {
    ++counts[static_cast<std::size_t>(call.kind)];
    if (recordCalls) {
        calls.push_back(call);
    }
    if (onCall) {
        onCall(call);
    }
}

SimWindow* SimDesktop::Find(Hwnd wnd) {
    return windows_.Find(wnd);
}

// An empty title matches only an empty title; it is not a wildcard.
Hwnd SimDesktop::FindWindowA(std::string_view className, std::string_view title) {
    Record({CallKind::FindWindowA});
    return windows_.FindIf(
        [&](const SimWindow& w) { return w.className == className && w.title == title; });
}

Hwnd SimDesktop::GetDesktopWindow() {
    Record({CallKind::GetDesktopWindow});
    return desktop_;
}

Hwnd SimDesktop::GetForegroundWindow() {
    Record({CallKind::GetForegroundWindow});
    return foreground;
}

std::optional<TRect> SimDesktop::GetWindowRect(Hwnd wnd) {
    Record({CallKind::GetWindowRect, wnd});
    if (const SimWindow* w = Find(wnd)) {
        return w->rect;
    }
    return std::nullopt;
}

std::uint32_t SimDesktop::GetWindowLongA(Hwnd wnd, std::int32_t index) {
    Record({CallKind::GetWindowLongA, wnd, 0, index});
    const SimWindow* w = Find(wnd);
    return (w != nullptr && index == kGwlStyle) ? w->style : 0;
}

void SimDesktop::SetWindowPos(Hwnd wnd,
                              Hwnd insertAfter,
                              std::int32_t x,
                              std::int32_t y,
                              std::uint32_t flags) {
    const Call call{CallKind::SetWindowPos, wnd, insertAfter, x, y, flags};
    Record(call);
    if (!QueuedWhileHung(call)) {
        ApplySetWindowPos(call);
    }
}

// A hung window's program takes nothing until it wakes: moves and show states wait in its
// queue, in the order they came, and its rectangle and style read as they were.
bool SimDesktop::QueuedWhileHung(const Call& call) {
    SimWindow* w = Find(call.wnd);
    if (w == nullptr || !w->hung) {
        return false;
    }
    w->queued.push_back(call);
    return true;
}

void SimDesktop::Hang(Hwnd wnd) {
    windows_.At(wnd).hung = true;
}

void SimDesktop::Wake(Hwnd wnd) {
    SimWindow& w = windows_.At(wnd);
    w.hung = false;
    const std::vector<Call> queued = std::exchange(w.queued, {});
    for (const Call& call : queued) {
        if (call.kind == CallKind::SetWindowPos) {
            ApplySetWindowPos(call);
        } else {
            ApplyShowWindow(call.wnd, call.x);
        }
    }
}

bool SimDesktop::IsHung(Hwnd wnd) {
    const SimWindow* w = Find(wnd);
    return w != nullptr && w->hung;
}

bool SimDesktop::ThreadHung(std::uint32_t thread) const {
    return windows_.FindIf([&](const SimWindow& w) { return w.hung && w.thread == thread; }) != 0;
}

void SimDesktop::ApplySetWindowPos(const Call& call) {
    const auto [kind, wnd, insertAfter, x, y, flags] = call;
    SimWindow* w = Find(wnd);
    if (w == nullptr || wnd == desktop_) {
        return;
    }
    if ((flags & kSwpNoMove) == 0) {
        w->rect = {x, y, Add(x, Width(w->rect)), Add(y, Height(w->rect))};
    }
    if ((flags & kSwpNoZOrder) != 0) {
        return;
    }
    if (insertAfter == kHwndTopmost) {
        w->topmost = true;
    } else if (insertAfter == kHwndNoTopmost) {
        w->topmost = false;
    }
    // Every other position the engine sends puts the window at the top of its band.
    w->z = ++zCounter_;
}

void SimDesktop::ShowWindow(Hwnd wnd, std::int32_t cmdShow) {
    const Call call{CallKind::ShowWindow, wnd, 0, cmdShow};
    Record(call);
    if (!QueuedWhileHung(call)) {
        ApplyShowWindow(wnd, cmdShow);
    }
}

void SimDesktop::ApplyShowWindow(Hwnd wnd, std::int32_t cmdShow) {
    SimWindow* w = Find(wnd);
    if (w == nullptr) {
        return;
    }
    if (cmdShow == kSwRestore) {
        if ((w->style & kWsMinimize) != 0 && w->restoresMaximized) {
            w->restoresMaximized = false;
            Maximize(wnd);
            return;
        }
        if ((w->style & (kWsMinimize | kWsMaximize)) != 0) {
            w->rect = w->normalRect;
        }
        w->style = (w->style & ~(kWsMinimize | kWsMaximize)) | kWsVisible;
    } else if (cmdShow == kSwShowMaximized) {
        Maximize(wnd);
    }
}

// The visible, not minimized window on top at the point: a topmost one before any other,
// then the one raised last. The desktop window when there is none.
Hwnd SimDesktop::WindowFromPoint(TPoint p) {
    Record({CallKind::WindowFromPoint, 0, 0, p.X, p.Y});
    Hwnd found = desktop_;
    const SimWindow* top = nullptr;
    windows_.ForEach([&](Hwnd wnd, const SimWindow& w) {
        const TRect& r = w.rect;
        const bool shows = (w.style & kWsVisible) != 0 && (w.style & kWsMinimize) == 0;
        const bool hit = r.Left <= p.X && p.X < r.Right && r.Top <= p.Y && p.Y < r.Bottom;
        if (wnd == desktop_ || !shows || !hit) {
            return;
        }
        if (top == nullptr || std::pair(w.topmost, w.z) > std::pair(top->topmost, top->z)) {
            top = &w;
            found = wnd;
        }
    });
    return found;
}

// Every simulated window is a top-level one.
Hwnd SimDesktop::GetAncestor(Hwnd wnd, std::uint32_t flags) {
    Record({CallKind::GetAncestor, wnd, 0, static_cast<std::int32_t>(flags)});
    return Find(wnd) != nullptr && flags == kGaRoot ? wnd : 0;
}

Hwnd SimDesktop::GetWindow(Hwnd wnd, std::uint32_t cmd) {
    Record({CallKind::GetWindow, wnd, 0, static_cast<std::int32_t>(cmd)});
    const SimWindow* w = Find(wnd);
    return w != nullptr && cmd == kGwOwner ? w->owner : 0;
}

std::string SimDesktop::GetClassNameA(Hwnd wnd) {
    Record({CallKind::GetClassNameA, wnd});
    const SimWindow* w = Find(wnd);
    return w != nullptr ? w->className : std::string();
}

MonitorList SimDesktop::GetMonitors() {
    Record({CallKind::GetMonitors});
    return monitors_;
}

bool SimDesktop::IsCloaked(Hwnd wnd) {
    Record({CallKind::DwmGetWindowAttribute, wnd});
    const SimWindow* w = Find(wnd);
    return w != nullptr && w->cloaked;
}

std::optional<TRect> SimDesktop::GetVisibleFrame(Hwnd wnd) {
    Record({CallKind::DwmGetWindowAttribute, wnd});
    const SimWindow* w = Find(wnd);
    if (w == nullptr || !w->frameInsets) {
        return std::nullopt;
    }
    const TRect& r = w->rect;
    const TRect& in = *w->frameInsets;
    return TRect{Add(r.Left, in.Left), Add(r.Top, in.Top), Sub(r.Right, in.Right),
                 Sub(r.Bottom, in.Bottom)};
}

bool SimDesktop::IsOwnWindow(Hwnd wnd) {
    Record({CallKind::IsOwnWindow, wnd});
    const SimWindow* w = Find(wnd);
    return w != nullptr && w->thread == engineThread;
}

std::optional<TPoint> SimDesktop::GetCursorPos() {
    Record({CallKind::GetCursorPos});
    return cursor;
}

std::int16_t SimDesktop::GetKeyState(std::int32_t virtualKey) {
    Record({CallKind::GetKeyState, 0, 0, virtualKey});
    return keysDown.count(virtualKey) != 0 ? std::int16_t{-128} : std::int16_t{0};
}

std::int32_t SimDesktop::GetSystemMetrics(std::int32_t index) {
    Record({CallKind::GetSystemMetrics, 0, 0, index});
    return index == kSmCxFrame ? cxFrame : 0;
}

void SimDesktop::SetForegroundWindow(Hwnd wnd) {
    Record({CallKind::SetForegroundWindow, wnd});
    if (foregroundRefusals < 0) {
        return;
    }
    if (foregroundRefusals > 0) {
        --foregroundRefusals;
        return;
    }
    if (Find(wnd) != nullptr) {
        foreground = wnd;
    }
}

std::uint32_t SimDesktop::GetWindowThreadProcessId(Hwnd wnd) {
    Record({CallKind::GetWindowThreadProcessId, wnd});
    const SimWindow* w = Find(wnd);
    return w != nullptr ? w->thread : 0;
}

void SimDesktop::AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) {
    Record({CallKind::AttachThreadInput, 0, 0, static_cast<std::int32_t>(attach),
            static_cast<std::int32_t>(attachTo), on ? 1u : 0u});
    // Sharing input with a thread that takes no messages waits for it.
    if (ThreadHung(attach) || ThreadHung(attachTo)) {
        ++blockedCalls;
    }
    if (on) {
        attachedInputs.insert({attach, attachTo});
    } else if (auto it = attachedInputs.find({attach, attachTo}); it != attachedInputs.end()) {
        attachedInputs.erase(it);
    }
}

std::uint32_t SimDesktop::GetForegroundLockTimeout() {
    Record({CallKind::GetForegroundLockTimeout});
    return lockTimeout;
}

void SimDesktop::SetForegroundLockTimeout(std::uint32_t ms) {
    Record({CallKind::SetForegroundLockTimeout, 0, 0, static_cast<std::int32_t>(ms)});
    lockTimeout = ms;
}

void SimDesktop::Sleep(std::uint32_t ms) {
    Record({CallKind::Sleep, 0, 0, static_cast<std::int32_t>(ms)});
}

void SimDesktop::ShowNotice(std::string_view text, std::string_view caption) {
    notices.emplace_back(text, caption);
}

void SimDesktop::ShowErrorBox(std::string_view text) {
    errorBoxes.emplace_back(text);
}

// The engine window exists from its creation with an empty title; setting the title makes
// it findable, as for a second engine started on the same desktop.
void SimDesktop::SetEngineWindowTitle(std::string_view title) {
    engineTitle = title;
    SimWindow engine;
    engine.className = kEngineClassName;
    engine.title = title;
    engine.rect = {0, 0, 115, 27};
    engine.style = kWsPopup;
    engine.thread = engineThread;
    windows_.Add(std::move(engine));
}

void SimDesktop::SetTimer1Enabled(bool enabled) {
    timerEnabled = enabled;
    ++timerSwitches;
}

void SimDesktop::SetTimer2(std::optional<std::uint32_t> afterMs) {
    timer2Due.reset();
    if (afterMs) {
        timer2Due = nowMicros + std::int64_t{*afterMs} * 1000;
    }
}

void SimDesktop::ShowModal(TModalForm& form) {
    ++modalRuns;
    form.FormShow();
    if (modalScript) {
        modalScript(form);
    }
}

bool SimDesktop::FileExists(const std::string& path) {
    return files.count(path) != 0;
}

std::optional<std::string> SimDesktop::ReadWholeFile(const std::string& path) {
    if (unreadable.count(path) != 0) {
        return std::nullopt;
    }
    auto it = files.find(path);
    if (it == files.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool SimDesktop::ReplaceFileContent(const std::string& path, std::string_view content) {
    if (unwritable.count(path) != 0) {
        return false;
    }
    files[path] = std::string(content);
    return true;
}

}  // namespace popyo
