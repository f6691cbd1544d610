#include "app/EngineWindow_win.h"

#include "platform/Win32Util_win.h"
#include "platform/WindowThunk_win.h"
#include "protocol/PopyoDef.h"

namespace popyo {

namespace {

constexpr wchar_t kClassName[] = L"TformPopyonnEngine";

// Parameters travel as 32-bit values so that 32-bit and 64-bit front-ends both work.
std::uint32_t Low32(UINT_PTR v) {
    return static_cast<std::uint32_t>(v & 0xFFFFFFFFu);
}

TShiftState CurrentShiftState(bool altFromMessage) {
    TShiftState shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) {
        shift |= ssShift;
    }
    if (::GetKeyState(VK_CONTROL) < 0) {
        shift |= ssCtrl;
    }
    if (altFromMessage || ::GetKeyState(VK_MENU) < 0) {
        shift |= ssAlt;
    }
    return shift;
}

}  // namespace

EngineWindow::EngineWindow(HINSTANCE instance, TformPopyonnEngine& engine, Win32WindowSystem& ws)
    : instance_(instance), engine_(engine), ws_(ws) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowThunk<EngineWindow>;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    class_ = ::RegisterClassExW(&wc);
    // A normal top-level window, not a message-only one: front-ends find it with
    // FindWindowA. It is created hidden and never shown; its title stays empty until
    // start-up has checked for another engine.
    ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr,
                      nullptr, instance, this);
    // The shell broadcasts this when it starts, also to an engine started elevated.
    if (wnd_ != nullptr && taskbarCreated_ != 0) {
        ::ChangeWindowMessageFilterEx(wnd_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
    }
}

EngineWindow::~EngineWindow() {
    if (wnd_ != nullptr) {
        ::SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(wnd_);
    }
    if (class_ != 0) {
        ::UnregisterClassW(kClassName, instance_);
    }
}

void EngineWindow::Attach(HWND wnd) {
    wnd_ = wnd;
    ws_.SetEngineWindow(wnd);
}

LRESULT EngineWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsEngineMessage(msg)) {
        return OnControlMessage(msg, wParam, lParam);
    }
    if (msg == taskbarCreated_ && msg != 0) {
        RunAtEventBoundary(ws_, [this] { engine_.ShellRestarted(); });
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            // An error while the settings file is read ends start-up where it happened;
            // the window exists all the same and the message loop runs.
            RunAtEventBoundary(ws_, [this] { engine_.FormCreate(); });
            return 0;
        case WM_TIMER:
            if (wParam == Win32WindowSystem::kTimer1Id) {
                ws_.NewTick();
                RunAtEventBoundary(ws_, [this] { engine_.Timer1Timer(); });
            } else if (wParam == Win32WindowSystem::kTimer2Id) {
                ws_.Timer2Fired();
                RunAtEventBoundary(ws_, [this] { engine_.Timer2Timer(); });
            }
            return 0;
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE:
        case WM_DPICHANGED:
            // The desktop may have changed size; the next ticks read it again.
            engine_.DesktopChanged();
            return ::DefWindowProcW(wnd_, msg, wParam, lParam);
        case WM_CLOSE:
            RunAtEventBoundary(ws_, [this] { engine_.Close(); });
            return 0;
        case WM_QUERYENDSESSION: {
            // The user is logging off: every window goes back before the engine goes.
            RunAtEventBoundary(ws_, [this] {
                bool canClose = true;
                engine_.FormCloseQuery(canClose);
            });
            return TRUE;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            return OnKeyDown(msg, wParam, lParam);
        default:
            return ::DefWindowProcW(wnd_, msg, wParam, lParam);
    }
}

LRESULT EngineWindow::OnControlMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::optional<std::int32_t> result = 0;
    RunAtEventBoundary(ws_, [&] { result = engine_.Dispatch(msg, Low32(wParam), Low32(lParam)); });
    if (!result) {
        return ::DefWindowProcW(wnd_, msg, wParam, lParam);
    }
    // Sign-extended, so that -1 reads as 0xFFFFFFFF for a 32-bit sender.
    return static_cast<LRESULT>(*result);
}

// A swallowed key (code 0) goes no further, so Alt+F4 never becomes a close.
LRESULT EngineWindow::OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam) {
    auto key = static_cast<std::uint16_t>(wParam);
    const bool alt = msg == WM_SYSKEYDOWN && (lParam & (1 << 29)) != 0;
    engine_.FormKeyDown(key, CurrentShiftState(alt));
    if (key == 0) {
        return 0;
    }
    return ::DefWindowProcW(wnd_, msg, wParam, lParam);
}

}  // namespace popyo
