#include "frontends/tray/TrayFiles_win.h"

#include <shellapi.h>

#include <vector>

#include "frontends/tray/SystemText_win.h"
#include "platform/Win32Util_win.h"

namespace popyo::tray {
namespace {

std::wstring UserName() {
    wchar_t name[257] = {};
    DWORD size = static_cast<DWORD>(std::size(name));
    return ::GetUserNameW(name, &size) ? name : L"";
}

ULONGLONG Join(DWORD high, DWORD low) {
    return (ULONGLONG{high} << 32) | low;
}

bool LaunchNotepad(const std::wstring& path, std::wstring& why) {
    std::wstring commandLine = L"notepad.exe \"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        why = SystemText(::GetLastError());
        return false;
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

}  // namespace

std::wstring ExePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            return std::wstring(buffer.data(), n);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring DirectoryOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring FileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring DefaultRulesPath() {
    return DirectoryOf(ExePath()) + L"\\PopyoTray_" + UserName() + L".toml";
}

std::wstring AbsolutePath(const std::wstring& path) {
    const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) {
        return path;
    }
    std::wstring full(n, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(written);
    return full;
}

FileStamp StampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return {};
    }
    return {true, Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
            Join(data.nFileSizeHigh, data.nFileSizeLow)};
}

FolderWatch::FolderWatch(const std::wstring& folder) {
    constexpr DWORD kChanges =
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    HANDLE handle = ::FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges);
    if (handle != INVALID_HANDLE_VALUE) {
        handle_ = decltype(handle_)(handle);
    }
}

void FolderWatch::Rearm() {
    // A watch that cannot go on is dropped: the tray then finds saves by its slow scan.
    if (handle_ && !::FindNextChangeNotification(handle_.Get())) {
        handle_.Reset();
    }
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) {
        if (got == 0) {
            return bytes;
        }
        bytes.append(buffer, got);
    }
    return std::nullopt;
}

bool CreateFileWith(const std::wstring& path, std::string_view bytes, std::wstring& why) {
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS) {
            return true;
        }
        why = SystemText(error);
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size()) {
        why = SystemText(::GetLastError());
        return false;
    }
    return true;
}

bool OpenInEditor(const std::wstring& path, std::wstring& why) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No "Open with" dialog for a type without a program: Notepad is the answer then.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info)) {
        return true;
    }
    return LaunchNotepad(path, why);
}

}  // namespace popyo::tray
