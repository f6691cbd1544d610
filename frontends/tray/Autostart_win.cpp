#include "frontends/tray/Autostart_win.h"

#include <windows.h>

#include "frontends/tray/SystemText_win.h"

namespace popyo::tray {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"PopyonnTray";

// Quoted, so that a folder with spaces starts the tray and not a program named by its first
// word.
std::wstring Command(const std::wstring& exePath) {
    return L"\"" + exePath + L"\"";
}

}  // namespace

bool StartsWithWindows(const std::wstring& exePath) {
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr,
                       &bytes) != ERROR_SUCCESS) {
        return false;
    }
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, data.data(),
                       &bytes) != ERROR_SUCCESS) {
        return false;
    }
    data.resize(::wcslen(data.c_str()));
    // Paths compare without regard to case on Windows.
    return ::CompareStringOrdinal(data.c_str(), -1, Command(exePath).c_str(), -1, TRUE) ==
           CSTR_EQUAL;
}

bool SetStartWithWindows(const std::wstring& exePath, bool on, std::wstring& why) {
    LSTATUS status;
    if (on) {
        const std::wstring command = Command(exePath);
        status = ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName, REG_SZ, command.c_str(),
                                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else {
        status = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
        if (status == ERROR_FILE_NOT_FOUND) {
            status = ERROR_SUCCESS;
        }
    }
    if (status != ERROR_SUCCESS) {
        why = SystemText(static_cast<DWORD>(status));
        return false;
    }
    return true;
}

}  // namespace popyo::tray
