// Prints the Windows version a program that starts with the engine's manifest is told, as
// "major.minor".
#include <windows.h>

#include <cstdio>

int main() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&version)) {
        return 1;
    }
#pragma GCC diagnostic pop
    std::printf("%lu.%lu\n", version.dwMajorVersion, version.dwMinorVersion);
    return 0;
}
