// Reading the desktop's top-level windows: the window-manager side of TopWindow.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "frontends/common/TopWindow.h"
#include "platform/Monitors.h"

namespace popyo::frontend {

enum class Scope {
    AllWindows,   // hidden ones too, as naming a window by title or class needs
    ShownWindows  // only visible, unminimized windows: all a rule may take
};

// Whether each window's program is asked for its file name, which opens its process.
enum class Program { Named, Unnamed };

// In z-order, top first.
std::vector<HWND> TopLevelWindows();
std::vector<TopWindow> SnapshotTopWindows(Scope scope = Scope::AllWindows,
                                          Program program = Program::Named);
TopWindow Describe(HWND wnd, Program program = Program::Named);
// The window's rectangle; all zeros when it is gone.
TRect RectOf(HWND wnd);

// Read from the window's own record, with no message sent, so a hung program cannot stall
// the caller.
std::wstring TitleOf(HWND wnd);
std::wstring ClassOf(HWND wnd);
// "notepad.exe"; empty when the process cannot be asked.
std::wstring ExeOf(HWND wnd);

// Each monitor's rectangle.
MonitorList Monitors();

}  // namespace popyo::frontend
