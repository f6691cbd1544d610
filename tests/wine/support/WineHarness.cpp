#include "tests/wine/support/WineHarness.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <psapi.h>
#include <winternl.h>

#include "protocol/PopyoDef.h"

namespace popyo::wine {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Short enough that a poll notices a change within a tick of the engine's timer.
constexpr milliseconds kPollStep{10};

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + " (error " + std::to_string(::GetLastError()) + ")");
}

void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

DWORD ToWait(milliseconds ms) {
    return static_cast<DWORD>(std::max<milliseconds::rep>(ms.count(), 0));
}

// Waits for the handle (or only for messages when it is null), pumping meanwhile.
bool WaitPumping(HANDLE handle, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    const DWORD count = handle != nullptr ? 1 : 0;
    for (;;) {
        PumpPending();
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left <= milliseconds::zero()) {
            return handle != nullptr && ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        }
        const DWORD r =
            ::MsgWaitForMultipleObjects(count, &handle, FALSE, ToWait(left), QS_ALLINPUT);
        if (count == 1 && r == WAIT_OBJECT_0) {
            return true;
        }
    }
}

struct ClassSearch {
    DWORD processId;
    std::wstring_view className;
    HWND found;
};

BOOL CALLBACK FindVisibleOfClass(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    if (WindowProcessId(wnd) == search->processId && ClassName(wnd) == search->className &&
        ::IsWindowVisible(wnd)) {
        search->found = wnd;
        return FALSE;
    }
    return TRUE;
}

// Wine keeps the icon control of a box without icon; only a set icon counts.
BOOL CALLBACK FindIcon(HWND child, LPARAM param) {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(child, GWL_STYLE));
    if (ClassName(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON &&
        SendWithTimeout(child, STM_GETICON, 0, 0).value_or(0) != 0) {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}

HANDLE OpenForReading(const fs::path& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

fs::path MakeFreshDirectory() {
    const fs::path base = fs::temp_directory_path();
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::wstring name = L"popyo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetTickCount64()) + L"-" +
                                  std::to_wstring(attempt);
        const fs::path dir = base / name;
        if (::CreateDirectoryW(dir.c_str(), nullptr)) {
            return dir;
        }
    }
    Fail("no fresh directory under " + base.string());
}

// The head of SYSTEM_PROCESS_INFORMATION as Windows lays it out; winternl.h hides the
// times in a reserved block.
struct ProcessInfoHead {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    LARGE_INTEGER WorkingSetPrivateSize;
    ULONG HardFaultCount;
    ULONG NumberOfThreadsHighWatermark;
    ULONGLONG CycleTime;
    LARGE_INTEGER CreateTime;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER KernelTime;
    UNICODE_STRING ImageName;
    LONG BasePriority;
    HANDLE UniqueProcessId;
};
static_assert(offsetof(ProcessInfoHead, UniqueProcessId) ==
              offsetof(SYSTEM_PROCESS_INFORMATION, UniqueProcessId));

}  // namespace

bool WaitForMovesToLand(HWND wnd, milliseconds timeout) {
    if (::GetWindowThreadProcessId(wnd, nullptr) == ::GetCurrentThreadId()) {
        PumpPending();
        return true;
    }
    return ::SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                 static_cast<UINT>(timeout.count()), nullptr) != 0;
}

bool PollUntil(const std::function<bool()>& done, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        PumpPending();
        if (done()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        WaitPumping(nullptr, kPollStep);
    }
}

void PumpFor(milliseconds duration) {
    WaitPumping(nullptr, duration);
}

// ---- Process ----

namespace {

// On a loaded machine Wine has been seen to answer a process start with ERROR_INTERNAL_ERROR:
// the new process ended before it could report that it runs, without a word of why. The
// start is tried again; the note in the log keeps it from going unseen.
PROCESS_INFORMATION StartChild(const fs::path& exe,
                               std::wstring commandLine,
                               bool inheritHandles,
                               STARTUPINFOW& startup) {
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr,
                             inheritHandles ? TRUE : FALSE, 0, nullptr, nullptr, &startup, &info)) {
            ::CloseHandle(info.hThread);
            return info;
        }
        if (::GetLastError() != ERROR_INTERNAL_ERROR || attempt == kAttempts) {
            Fail("cannot start " + exe.string());
        }
        std::fprintf(stderr, "note: Wine failed to start %s (internal error); trying again\n",
                     exe.string().c_str());
    }
}

}  // namespace

Process Process::Launch(const fs::path& exe, std::wstring_view args) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    if (!args.empty()) {
        commandLine.append(L" ").append(args);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const PROCESS_INFORMATION info = StartChild(exe, std::move(commandLine), false, startup);
    return Process(info.hProcess, info.dwProcessId);
}

Process Process::Adopt(DWORD id) {
    HANDLE handle = ::OpenProcess(
        SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (handle == nullptr) {
        Fail("cannot open process " + std::to_string(id));
    }
    return Process(handle, id);
}

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Reset();
        handle_ = std::exchange(other.handle_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Process::~Process() {
    Reset();
}

void Process::Reset() noexcept {
    if (handle_ == nullptr) {
        return;
    }
    Kill();
    ::CloseHandle(handle_);
    handle_ = nullptr;
    id_ = 0;
}

bool Process::Running() const {
    return handle_ != nullptr && ::WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(milliseconds timeout) {
    return handle_ != nullptr && WaitPumping(handle_, timeout);
}

void Process::Kill() {
    if (Running()) {
        ::TerminateProcess(handle_, 1);
        ::WaitForSingleObject(handle_, ToWait(kExitTimeout));
    }
}

// Wine answers GetProcessTimes with real figures only for the calling process; the
// system's process list carries them for every process, on Windows too.
std::optional<std::chrono::nanoseconds> Process::CpuTime() const {
    std::vector<unsigned char> buffer(256 * 1024);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = ::NtQuerySystemInformation(
            SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(std::max<std::size_t>(needed, buffer.size()) * 2);
            continue;
        }
        if (status != 0) {
            return std::nullopt;
        }
        break;
    }
    for (std::size_t offset = 0;;) {
        ProcessInfoHead head;
        std::memcpy(&head, buffer.data() + offset, sizeof head);
        if (reinterpret_cast<UINT_PTR>(head.UniqueProcessId) == id_) {
            const auto ticks = head.UserTime.QuadPart + head.KernelTime.QuadPart;
            return std::chrono::nanoseconds(ticks * 100);
        }
        if (head.NextEntryOffset == 0) {
            return std::nullopt;
        }
        offset += head.NextEntryOffset;
    }
}

std::optional<std::size_t> Process::WorkingSet() const {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(handle_, &counters, sizeof counters)) {
        return std::nullopt;
    }
    return counters.WorkingSetSize;
}

Process Process::LaunchRedirected(const fs::path& exe,
                                  std::wstring_view args,
                                  HANDLE out,
                                  HANDLE err) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + std::wstring(args);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    const PROCESS_INFORMATION info = StartChild(exe, std::move(commandLine), true, startup);
    return Process(info.hProcess, info.dwProcessId);
}

// ---- ConsoleProgram ----

namespace {

// The read end stays here; the write end is for the child alone.
std::pair<OwnedHandle, OwnedHandle> ChildOutputPipe() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) {
        Fail("cannot create a pipe");
    }
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    return {OwnedHandle(read), OwnedHandle(write)};
}

void ReadAvailable(HANDLE pipe, std::string& text) {
    DWORD available = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        std::string chunk(available, '\0');
        DWORD got = 0;
        if (!::ReadFile(pipe, chunk.data(), available, &got, nullptr)) {
            return;
        }
        chunk.resize(got);
        std::erase(chunk, '\r');
        text += chunk;
    }
}

}  // namespace

ConsoleProgram::ConsoleProgram(const fs::path& exe, std::wstring_view args) {
    auto [outRead, outWrite] = ChildOutputPipe();
    auto [errRead, errWrite] = ChildOutputPipe();
    outRead_ = std::move(outRead);
    errRead_ = std::move(errRead);
    // The write ends close here once the child has its copies, so its end is the pipes' end.
    process_ = Process::LaunchRedirected(exe, args, outWrite.get(), errWrite.get());
}

void ConsoleProgram::Drain() {
    ReadAvailable(outRead_.get(), out_);
    ReadAvailable(errRead_.get(), err_);
}

const std::string& ConsoleProgram::Out() {
    Drain();
    return out_;
}

const std::string& ConsoleProgram::Err() {
    Drain();
    return err_;
}

std::optional<DWORD> ConsoleProgram::Wait(milliseconds timeout) {
    // Read while waiting, so that a full pipe never holds the program up.
    const bool ended = PollUntil(
        [&] {
            Drain();
            return !process_->Running();
        },
        timeout);
    Drain();
    DWORD code = 0;
    if (!ended || !::GetExitCodeProcess(process_->Handle(), &code)) {
        return std::nullopt;
    }
    return code;
}

ConsoleResult RunConsole(const fs::path& exe, std::wstring_view args, milliseconds timeout) {
    ConsoleProgram program(exe, args);
    ConsoleResult result;
    result.exitCode = program.Wait(timeout);
    result.out = program.Out();
    result.err = program.Err();
    return result;
}

// ---- EngineSandbox ----

EngineSandbox::EngineSandbox() : dir_(MakeFreshDirectory()) {
    const fs::path source = BinDir() / L"PopyonnEngine.exe";
    if (!::CopyFileW(source.c_str(), Exe().c_str(), TRUE)) {
        Fail("cannot copy " + source.string());
    }
}

EngineSandbox::~EngineSandbox() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

fs::path EngineSandbox::Exe() const {
    return dir_ / L"PopyonnEngine.exe";
}

fs::path EngineSandbox::SettingsFile() const {
    return dir_ / (L"PopyoE_" + UserName() + L".dat");
}

std::optional<std::string> EngineSandbox::ReadSettings() const {
    HANDLE file = OpenForReading(SettingsFile());
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    return bytes;
}

void EngineSandbox::WriteSettings(std::string_view bytes) const {
    HANDLE file = ::CreateFileW(SettingsFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Fail("cannot create the settings file");
    }
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != bytes.size()) {
        Fail("cannot write the settings file");
    }
}

void EngineSandbox::RemoveSettings() const {
    if (!::DeleteFileW(SettingsFile().c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        Fail("cannot delete the settings file");
    }
}

Process EngineSandbox::Start() const {
    return Process::Launch(Exe());
}

// ---- Windows ----

fs::path BinDir() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            Fail("GetModuleFileNameW failed");
        }
        if (n < buffer.size()) {
            return fs::path(std::wstring(buffer.data(), n)).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring UserName() {
    wchar_t name[257];
    DWORD size = 257;
    if (!::GetUserNameW(name, &size)) {
        return {};
    }
    return name;
}

HWND FindEngineWindow() {
    return ::FindWindowA(kEngineClassName, kEngineWindowTitle);
}

HWND WaitForEngineWindow(const Process& process, milliseconds timeout) {
    HWND found = nullptr;
    PollUntil(
        [&] {
            HWND wnd = FindEngineWindow();
            found = wnd != nullptr && WindowProcessId(wnd) == process.Id() ? wnd : nullptr;
            return found != nullptr;
        },
        timeout);
    return found;
}

DWORD WindowProcessId(HWND wnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    return pid;
}

std::optional<LRESULT> SendWithTimeout(HWND wnd,
                                       UINT msg,
                                       WPARAM wParam,
                                       LPARAM lParam,
                                       milliseconds timeout) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(wnd, msg, wParam, lParam, SMTO_NORMAL, ToWait(timeout), &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND wnd) {
    const auto length = SendWithTimeout(wnd, WM_GETTEXTLENGTH, 0, 0);
    if (!length || *length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(*length) + 1, L'\0');
    const auto copied =
        SendWithTimeout(wnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied ? static_cast<std::size_t>(*copied) : 0);
    return text;
}

std::wstring ClassName(HWND wnd) {
    wchar_t name[256];
    const int n = ::GetClassNameW(wnd, name, 256);
    return std::wstring(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

HWND VisibleWindowOf(DWORD processId, std::wstring_view className) {
    ClassSearch search{processId, className, nullptr};
    ::EnumWindows(&FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForMessageBox(DWORD processId, milliseconds timeout) {
    HWND box = nullptr;
    PollUntil([&] { return (box = VisibleWindowOf(processId, L"#32770")) != nullptr; }, timeout);
    return box;
}

MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content;
    content.caption = WindowText(box);
    if (HWND text = ::GetDlgItem(box, 0xFFFF)) {
        content.text = WindowText(text);
    }
    ::EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&content.icon));
    return content;
}

void DismissMessageBox(HWND box) {
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

// ---- ProgmanStub ----

ProgmanStub::ProgmanStub(std::wstring_view args)
    : process_(Process::Launch(BinDir() / L"ProgmanStub.exe", args)) {
    PollUntil(
        [&] {
            HWND wnd = ::FindWindowA("Progman", "Program Manager");
            wnd_ = wnd != nullptr && WindowProcessId(wnd) == process_.Id() ? wnd : nullptr;
            return wnd_ != nullptr;
        },
        kStartTimeout);
    if (wnd_ == nullptr) {
        throw std::runtime_error("the Progman stub made no window");
    }
}

ProgmanStub::~ProgmanStub() {
    if (wnd_ != nullptr) {
        ::PostMessageW(wnd_, WM_CLOSE, 0, 0);
        process_.WaitForExit(kExitTimeout);
    }
}

// ---- ForeignWindows ----

namespace {

std::wstring WindowArguments(const std::vector<ForeignWindows::Wanted>& wanted) {
    std::wstring args;
    for (const auto& want : wanted) {
        const RECT& r = want.rect;
        args +=
            L"\"" + want.title + L"=" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) +
            L"," + std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom) +
            (want.showAfter.count() > 0 ? L"+" + std::to_wstring(want.showAfter.count()) : L"") +
            L"\" ";
    }
    return args;
}

struct WindowSearch {
    DWORD processId;
    const std::vector<ForeignWindows::Wanted>* wanted;
    std::vector<HWND> found;
};

BOOL CALLBACK FindSpecWindow(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (WindowProcessId(wnd) != search->processId || !::IsWindowVisible(wnd)) {
        return TRUE;
    }
    const std::wstring title = WindowText(wnd);
    for (std::size_t i = 0; i < search->wanted->size(); ++i) {
        if ((*search->wanted)[i].title == title) {
            search->found[i] = wnd;
        }
    }
    return TRUE;
}

}  // namespace

ForeignWindows::ForeignWindows(const std::vector<Wanted>& wanted)
    : process_(Process::Launch(BinDir() / L"TestWindows.exe", WindowArguments(wanted))) {
    WindowSearch search{process_.Id(), &wanted, std::vector<HWND>(wanted.size())};
    const bool all = PollUntil(
        [&] {
            ::EnumWindows(&FindSpecWindow, reinterpret_cast<LPARAM>(&search));
            return std::ranges::find(search.found, nullptr) == search.found.end();
        },
        kStartTimeout);
    if (!all) {
        throw std::runtime_error("TestWindows.exe did not open every window");
    }
    windows_ = std::move(search.found);
}

namespace {

// TestWindows' message that opens a popup menu at the point in lParam.
constexpr UINT kOpenMenu = WM_APP + 1;
constexpr UINT kSleep = WM_APP + 2;

}  // namespace

HWND ForeignWindows::VisibleMenu() const {
    return VisibleWindowOf(process_.Id(), L"#32768");
}

HWND ForeignWindows::OpenMenu(std::size_t i, POINT at) {
    ::PostMessageW(windows_.at(i), kOpenMenu, 0, MAKELPARAM(at.x, at.y));
    HWND menu = nullptr;
    PollUntil([&] { return (menu = VisibleMenu()) != nullptr; }, kStartTimeout);
    return menu;
}

bool ForeignWindows::Sleep(milliseconds duration) {
    ::PostMessageW(windows_.at(0), kSleep, static_cast<WPARAM>(duration.count()), 0);
    return PollUntil(
        [&] {
            DWORD_PTR ignored = 0;
            return ::SendMessageTimeoutW(windows_.at(0), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 50,
                                         &ignored) == 0;
        },
        kReplyTimeout);
}

bool ForeignWindows::CloseMenu(std::size_t i) {
    ::PostMessageW(windows_.at(i), WM_CANCELMODE, 0, 0);
    return PollUntil([&] { return VisibleMenu() == nullptr; }, kReplyTimeout);
}

ForeignWindows::~ForeignWindows() {
    for (HWND wnd : windows_) {
        ::PostMessageW(wnd, WM_CLOSE, 0, 0);
    }
    process_.WaitForExit(kExitTimeout);
}

void Xdotool(const std::wstring& args) {
    constexpr wchar_t kXdotool[] = L"Z:\\usr\\bin\\xdotool";
    ASSERT_NE(::GetFileAttributesW(kXdotool), INVALID_FILE_ATTRIBUTES) << "xdotool is missing";
    std::wstring commandLine = std::wstring(kXdotool) + L" " + args;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info));
    for (HANDLE h : {info.hProcess, info.hThread}) {
        if (h != nullptr) {
            ::CloseHandle(h);
        }
    }
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

WPARAM HandleParam(HWND wnd) {
    return static_cast<WPARAM>(reinterpret_cast<UINT_PTR>(wnd) & 0xFFFFFFFFu);
}

RECT WindowRect(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return r;
}

// Wine warps the X pointer only when the position it keeps for the cursor changes, and for
// about 100 ms after a change GetCursorPos answers that record rather than the pointer. The
// record can be stale: the pointer moved under it (xdotool), or a warp was refused while
// another client held a pointer grab. Then setting the recorded point warps nothing, and a
// read-back at once still answers the point. So each attempt reads back only once Wine
// answers from the pointer again, and every retry first sets a neighbouring point, which
// forces the warp.
bool MoveCursorTo(POINT p, milliseconds timeout) {
    constexpr milliseconds kRecordAnswers{150};
    constexpr milliseconds kSettle{500};
    const POINT neighbour{p.x > 0 ? p.x - 1 : p.x + 1, p.y};
    const auto deadline = Clock::now() + timeout;
    for (int attempt = 0; attempt == 0 || Clock::now() < deadline; ++attempt) {
        if (attempt > 0) {
            ::SetCursorPos(neighbour.x, neighbour.y);
        }
        ::SetCursorPos(p.x, p.y);
        PumpFor(kRecordAnswers);
        const bool there = PollUntil(
            [&] {
                POINT now{};
                return ::GetCursorPos(&now) && now.x == p.x && now.y == p.y;
            },
            kSettle);
        if (there) {
            return true;
        }
    }
    return false;
}

// ---- Several monitors ----

namespace {

std::wstring DisplayDevice(int n) {
    return L"\\\\.\\DISPLAY" + std::to_wstring(n);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<MONITORINFOEXW>*>(param)->push_back(info);
    }
    return TRUE;
}

std::vector<MONITORINFOEXW> MonitorInfos() {
    std::vector<MONITORINFOEXW> infos;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&infos));
    return infos;
}

}  // namespace

std::vector<RECT> MonitorRects() {
    std::vector<RECT> rects;
    for (const MONITORINFOEXW& info : MonitorInfos()) {
        rects.push_back(info.rcMonitor);
    }
    return rects;
}

std::optional<RECT> DisplayRect(int n) {
    const std::wstring device = DisplayDevice(n);
    for (const MONITORINFOEXW& info : MonitorInfos()) {
        if (device == info.szDevice) {
            return info.rcMonitor;
        }
    }
    return std::nullopt;
}

// Stored first and then applied all at once, the way to change several displays together;
// a size of 0 by 0 detaches the display.
bool SetDisplay(int n, std::optional<RECT> place, milliseconds timeout) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (place) {
        mode.dmPosition = {place->left, place->top};
        mode.dmPelsWidth = static_cast<DWORD>(place->right - place->left);
        mode.dmPelsHeight = static_cast<DWORD>(place->bottom - place->top);
    }
    const std::wstring device = DisplayDevice(n);
    if (::ChangeDisplaySettingsExW(device.c_str(), &mode, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET,
                                   nullptr) != DISP_CHANGE_SUCCESSFUL ||
        ::ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr) !=
            DISP_CHANGE_SUCCESSFUL) {
        return false;
    }
    return PollUntil(
        [&] {
            const auto now = DisplayRect(n);
            return place ? now && SameRect(*now, *place) : !now;
        },
        timeout);
}

}  // namespace popyo::wine
