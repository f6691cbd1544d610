// The tray's files: where it lives, its rules file, and reading, writing and opening it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/Win32Util_win.h"

namespace popyo::tray {

std::wstring ExePath();
std::wstring DirectoryOf(const std::wstring& path);
std::wstring FileNameOf(const std::wstring& path);
// PopyoTray_<user>.toml beside the executables, like the engine's settings file.
std::wstring DefaultRulesPath();
// A path given on the command line, made absolute against the current directory.
std::wstring AbsolutePath(const std::wstring& path);

// What changes when the file is saved; `exists` false for no file.
struct FileStamp {
    bool exists = false;
    ULONGLONG writeTime = 0;
    ULONGLONG size = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
FileStamp StampOf(const std::wstring& path);

// A folder's change notification: its handle is signalled when a file in it is created,
// renamed, deleted or written, which covers an editor that saves by replacing the file.
// Empty when the folder cannot be watched.
class FolderWatch {
  public:
    FolderWatch() = default;
    explicit FolderWatch(const std::wstring& folder);

    HANDLE Handle() const { return handle_.Get(); }
    // After each signal, for the next change.
    void Rearm();

  private:
    UniqueOwner<HANDLE, &::FindCloseChangeNotification> handle_;
};

// Nothing when the file cannot be read now: missing, or held by an editor that saves it.
std::optional<std::string> ReadFileBytes(const std::wstring& path);
// Writes the file only when there is none yet; false with the reason when that fails.
bool CreateFileWith(const std::wstring& path, std::string_view bytes, std::wstring& why);
// Opens the file in the program Windows has for it, else in Notepad.
bool OpenInEditor(const std::wstring& path, std::wstring& why);

}  // namespace popyo::tray
