// A test fixture with an engine running in its sandbox, and the messages a suite sends it.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {

inline constexpr milliseconds kSlideTimeout{10000};

// Waits until the engine reports that status for the window, and then until the moves it
// made before the report have landed too, unless the window's program sleeps.
inline bool WaitForStatus(HWND engine,
                          HWND wnd,
                          Status status,
                          milliseconds timeout = kSlideTimeout) {
    const auto reported = [&] {
        return SendWithTimeout(engine, EM_GETSTATUS, HandleParam(wnd), 0) == LRESULT{status};
    };
    if (!PollUntil(reported, timeout)) {
        return false;
    }
    WaitForMovesToLand(wnd);
    return true;
}

class EngineSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(FindEngineWindow(), nullptr) << "an engine from elsewhere is still running";
    }

    // Starts the engine with this settings file beside it and waits until it answers.
    void StartEngine(std::string_view settings) {
        sandbox_.WriteSettings(settings);
        engine_ = sandbox_.Start();
        engineWnd_ = WaitForEngineWindow(engine_.value());
        ASSERT_NE(engineWnd_, nullptr) << "no engine window";
        ASSERT_TRUE(PollUntil([&] { return StatusOf(nullptr) == LRESULT{0}; }, kStartTimeout));
    }

    std::optional<LRESULT> Send(UINT msg,
                                HWND wnd,
                                LPARAM lParam = 0,
                                milliseconds timeout = kReplyTimeout) const {
        return SendWithTimeout(engineWnd_, msg, HandleParam(wnd), lParam, timeout);
    }

    std::optional<LRESULT> StatusOf(HWND wnd) const { return Send(EM_GETSTATUS, wnd); }

    bool WaitStatus(HWND wnd, Status status) const {
        return WaitForStatus(engineWnd_, wnd, status);
    }

    void Register(HWND wnd, Edge edge) const {
        ASSERT_EQ(Send(EM_REGISTER, wnd, edge), LRESULT{0});
    }

    EngineSandbox sandbox_;
    std::optional<Process> engine_;
    HWND engineWnd_ = nullptr;
};

}  // namespace popyo::wine
