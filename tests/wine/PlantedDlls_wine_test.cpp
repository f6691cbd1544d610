// DLLs planted beside the engine, under the names of the DLLs it loads by name, never run in
// it: not as it starts, not while it draws a slide in frames (the one time it needs winmm),
// not as it ends. Wine takes a DLL beside the program before its own only where
// WINEDLLOVERRIDES says so (n,b, which CMake sets for this test), as Windows takes any DLL
// that is not one of its known DLLs.
#include <gtest/gtest.h>

#include <psapi.h>

#include <filesystem>
#include <string>
#include <vector>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/EngineSession.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

// A shown window the cursor leaves hides at once.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=10\r\n"
    "OffTime=0\r\nOutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\n"
    "ChangePopyonStyle=False\r\n";
constexpr RECT kHome{100, 400, 700, 600};
constexpr POINT kInside{400, 500};
constexpr POINT kAway{1500, 150};

// What the engine loads once a window slides: winmm for the timer's resolution while frames
// are drawn, dwmapi to ask whether the window is cloaked.
constexpr const wchar_t* kPlanted[] = {L"winmm.dll", L"dwmapi.dll"};

// The paths of the process's modules named `name`.
std::vector<std::filesystem::path> LoadedAs(HANDLE process, const std::wstring& name) {
    HMODULE modules[512];
    DWORD bytes = 0;
    std::vector<std::filesystem::path> found;
    if (!::EnumProcessModulesEx(process, modules, sizeof modules, &bytes, LIST_MODULES_ALL)) {
        return found;
    }
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < std::size(modules); ++i) {
        wchar_t path[MAX_PATH];
        const DWORD n = ::GetModuleFileNameExW(process, modules[i], path, MAX_PATH);
        const std::filesystem::path module(std::wstring(path, n));
        if (n > 0 && ::lstrcmpiW(module.filename().c_str(), name.c_str()) == 0) {
            found.push_back(module);
        }
    }
    return found;
}

std::filesystem::path SystemFolder() {
    wchar_t dir[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir, n < MAX_PATH ? n : 0);
}

using PlantedDlls = EngineSession;

TEST_F(PlantedDlls, NeverRunInTheEngineAsItStartsSlidesInFramesAndEnds) {
    for (const wchar_t* name : kPlanted) {
        ASSERT_TRUE(::CopyFileW((BinDir() / L"PlantedDll.dll").c_str(),
                                (sandbox_.Dir() / name).c_str(), FALSE));
    }
    ForeignWindows windows({{L"slides in frames", kHome}});
    const HWND wnd = windows[0];
    ASSERT_TRUE(MoveCursorTo(kInside));
    StartEngine(kSettings);
    ASSERT_EQ(SendWithTimeout(engineWnd_, EM_SETOPTION, opSlideFrames, 3), LRESULT{1});
    Register(wnd, edLeft);

    ASSERT_TRUE(MoveCursorTo(kAway));
    ASSERT_TRUE(WaitStatus(wnd, rsHidden));
    ASSERT_EQ(Send(EM_POP, nullptr, edLeft), LRESULT{0});
    ASSERT_TRUE(WaitStatus(wnd, rsShown));
    // Wine names a DLL of its own by the path where it found the file, so the path is where
    // Windows would have taken it from too.
    for (const wchar_t* name : kPlanted) {
        const auto loaded = LoadedAs(engine_->Handle(), name);
        ASSERT_EQ(loaded.size(), 1u) << "the engine holds no " << std::filesystem::path(name);
        EXPECT_EQ(::lstrcmpiW(loaded[0].parent_path().c_str(), SystemFolder().c_str()), 0)
            << "the engine took " << loaded[0];
    }

    ASSERT_TRUE(::PostMessageW(engineWnd_, WM_CLOSE, 0, 0));
    ASSERT_TRUE(engine_->WaitForExit(kExitTimeout)) << "the engine did not end";
    for (const wchar_t* name : kPlanted) {
        EXPECT_FALSE(std::filesystem::exists(sandbox_.Dir() / (std::wstring(name) + L".ran")))
            << std::filesystem::path(name) << " planted beside the engine ran in it";
    }
}

}  // namespace
}  // namespace popyo::wine
