// Test client side of the Wine integration tests: starting the real engine in a sandbox of
// its own, finding its windows and message boxes, and waiting with deadlines.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace popyo::wine {

using std::chrono::milliseconds;

// A Wine process start costs a few tenths of a second; a loaded machine needs more.
inline constexpr milliseconds kStartTimeout{15000};
inline constexpr milliseconds kExitTimeout{10000};
inline constexpr milliseconds kReplyTimeout{5000};

// Waits until `done` answers true or the timeout passes; answers the last `done`. The
// thread's own messages are pumped meanwhile, so windows of the test process keep
// answering the engine.
bool PollUntil(const std::function<bool()>& done, milliseconds timeout);

// Pumps the thread's messages for the whole duration.
void PumpFor(milliseconds duration);

// Waits until the window's program has handled what was sent to it before, or the timeout
// passes; false then. The engine moves other programs' windows asynchronously: a move it
// made before it reported a status lands when that program gets to it, which on a loaded
// machine can be after the report. A window's sent messages are handled in order.
bool WaitForMovesToLand(HWND wnd, milliseconds timeout = kReplyTimeout);

// A process that this harness started. Killed on destruction if it still runs.
class Process {
  public:
    // `args` follow the quoted program path on the command line.
    static Process Launch(const std::filesystem::path& exe, std::wstring_view args = {});
    // The same with standard output and error going to the given handles, which the child
    // inherits.
    static Process LaunchRedirected(const std::filesystem::path& exe,
                                    std::wstring_view args,
                                    HANDLE out,
                                    HANDLE err);
    // A process started by another (the engine a front-end started), found by its id; it
    // is killed on destruction like the others.
    static Process Adopt(DWORD id);

    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return handle_; }
    bool Running() const;
    bool WaitForExit(milliseconds timeout);
    void Kill();
    // User plus kernel time the process has used so far.
    std::optional<std::chrono::nanoseconds> CpuTime() const;
    // Bytes of the process's working set, as the system counts them.
    std::optional<std::size_t> WorkingSet() const;

  private:
    Process(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
    void Reset() noexcept;

    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

struct HandleCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// A console program whose standard output and error this process reads through pipes while
// it runs. Lines end in LF alone: the CR that Windows writes before each LF is dropped.
class ConsoleProgram {
  public:
    ConsoleProgram(const std::filesystem::path& exe, std::wstring_view args);

    Process& Proc() { return *process_; }
    // All the program has written so far.
    const std::string& Out();
    const std::string& Err();
    // The exit code once the program has ended; nullopt when it still runs at the timeout.
    std::optional<DWORD> Wait(milliseconds timeout);

  private:
    void Drain();

    OwnedHandle outRead_;
    OwnedHandle errRead_;
    std::optional<Process> process_;
    std::string out_;
    std::string err_;
};

struct ConsoleResult {
    std::optional<DWORD> exitCode;
    std::string out;
    std::string err;
};
// Runs the program to its end, or kills it at the timeout.
ConsoleResult RunConsole(const std::filesystem::path& exe,
                         std::wstring_view args,
                         milliseconds timeout = kExitTimeout);

// A fresh directory holding a copy of PopyonnEngine.exe, so that each test has its own
// settings file beside the executable. Processes started from it must end before it goes.
class EngineSandbox {
  public:
    EngineSandbox();
    EngineSandbox(const EngineSandbox&) = delete;
    EngineSandbox& operator=(const EngineSandbox&) = delete;
    ~EngineSandbox();

    const std::filesystem::path& Dir() const { return dir_; }
    std::filesystem::path Exe() const;
    std::filesystem::path SettingsFile() const;
    // The file's bytes; nullopt when there is no file.
    std::optional<std::string> ReadSettings() const;
    void WriteSettings(std::string_view bytes) const;
    void RemoveSettings() const;
    Process Start() const;

  private:
    std::filesystem::path dir_;
};

// The directory of the running test executable, where the programs under test are built.
std::filesystem::path BinDir();
std::wstring UserName();

HWND FindEngineWindow();
// The engine window, once it belongs to `process`; nullptr after the timeout.
HWND WaitForEngineWindow(const Process& process, milliseconds timeout = kStartTimeout);
DWORD WindowProcessId(HWND wnd);
// SendMessage with a deadline; nullopt when the window did not answer in time.
std::optional<LRESULT> SendWithTimeout(HWND wnd,
                                       UINT msg,
                                       WPARAM wParam,
                                       LPARAM lParam,
                                       milliseconds timeout = kReplyTimeout);
std::wstring WindowText(HWND wnd);
std::wstring ClassName(HWND wnd);

struct MessageBoxContent {
    std::wstring caption;
    std::wstring text;
    bool icon = false;
};

// A visible top-level window of the process with that class; nullptr when there is none.
HWND VisibleWindowOf(DWORD processId, std::wstring_view className);
// A visible message box (dialog class #32770) of the process; nullptr after the timeout.
HWND WaitForMessageBox(DWORD processId, milliseconds timeout = kStartTimeout);
MessageBoxContent ReadMessageBox(HWND box);
// Presses OK the way a user would, without waiting for the box's owner.
void DismissMessageBox(HWND box);

// The stand-in for the shell's "Progman" window; closed on destruction. With "left=X" its
// left side is at X; with "announce" it broadcasts TaskbarCreated, as a starting shell does.
class ProgmanStub {
  public:
    explicit ProgmanStub(std::wstring_view args = {});
    ProgmanStub(const ProgmanStub&) = delete;
    ProgmanStub& operator=(const ProgmanStub&) = delete;
    ~ProgmanStub();

    HWND Window() const { return wnd_; }

  private:
    Process process_;
    HWND wnd_ = nullptr;
};

// Top-level windows of a process of their own (TestWindows.exe), shown without activation.
// Their owner pumps all the time, whatever the test thread is doing, until it is told to
// sleep. Closed on destruction.
class ForeignWindows {
  public:
    struct Wanted {
        std::wstring title;
        RECT rect;
        // Created at once, shown only this much later.
        milliseconds showAfter{0};
    };

    explicit ForeignWindows(const std::vector<Wanted>& wanted);
    ForeignWindows(const ForeignWindows&) = delete;
    ForeignWindows& operator=(const ForeignWindows&) = delete;
    ~ForeignWindows();

    // In the order they were asked for.
    HWND operator[](std::size_t i) const { return windows_.at(i); }
    // Ends the process at once, as a crash would: its windows vanish without a close.
    void Kill() { process_.Kill(); }
    // Window i opens a popup menu with its top-left corner at `at`, as a right click would,
    // and the menu window once it shows; nullptr after the timeout.
    HWND OpenMenu(std::size_t i, POINT at);
    // The process stops taking messages for the duration, as a busy program does; true once
    // it no longer answers.
    bool Sleep(milliseconds duration);
    // Closes the open menu of window i, and waits until it is gone.
    bool CloseMenu(std::size_t i);

  private:
    HWND VisibleMenu() const;

    Process process_;
    std::vector<HWND> windows_;
};

// Runs xdotool on the test's X display: real input through the X server, as a user's. Wine
// starts a Unix program without a handle to wait on, so callers poll for the input's effect.
void Xdotool(const std::wstring& args);
bool SameRect(const RECT& a, const RECT& b);

// The 32-bit handle value the control messages carry.
WPARAM HandleParam(HWND wnd);
RECT WindowRect(HWND wnd);
// Moves the cursor and waits until the X pointer is there, as every process reads it back;
// the warp is tried again until the timeout.
bool MoveCursorTo(POINT p, milliseconds timeout = kReplyTimeout);

// ---- Several monitors ----

// The monitors as the system reports them, in its order.
std::vector<RECT> MonitorRects();
// Display n's monitor (\\.\DISPLAYn); nullopt when it is detached or does not exist.
std::optional<RECT> DisplayRect(int n);
// Places display n at the rectangle, of one of its modes, or detaches it (nullopt), as the
// display settings do: the system tells every top-level window with WM_DISPLAYCHANGE. True
// once this process sees the display there.
bool SetDisplay(int n, std::optional<RECT> place, milliseconds timeout = kReplyTimeout);

}  // namespace popyo::wine
