// Starts NullDeref.exe beside itself, waits for it and ends with status 0 whatever became of
// it: a test program whose helper crashed, which CTest must still count as failed.
#include <windows.h>

#include <string>

int wmain() {
    wchar_t self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe(self, n);
    exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"NullDeref.exe";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         nullptr, &si, &pi)) {
        ::WaitForSingleObject(pi.hProcess, 10000);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    return 0;
}
