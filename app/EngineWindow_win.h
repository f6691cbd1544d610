// The hidden engine window: registers the window class front-ends look for, creates the
// window (start-up runs inside its creation), and turns its messages into calls of the
// engine's handlers.
#pragma once

#include <windows.h>

#include "engine/frmPopyonnEngine.h"
#include "platform/Win32WindowSystem_win.h"
#include "platform/WindowThunk_win.h"

namespace popyo {

class EngineWindow {
  public:
    EngineWindow(HINSTANCE instance, TformPopyonnEngine& engine, Win32WindowSystem& ws);
    ~EngineWindow();
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;

    HWND Handle() const { return wnd_; }

    // Client area of the engine window; it is never shown.
    static constexpr int kWidth = 115;
    static constexpr int kHeight = 27;

  private:
    friend LRESULT CALLBACK WindowThunk<EngineWindow>(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Attach(HWND wnd);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    TformPopyonnEngine& engine_;
    Win32WindowSystem& ws_;
    ATOM class_ = 0;
    HWND wnd_ = nullptr;
    const UINT taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
};

}  // namespace popyo
