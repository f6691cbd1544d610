// popyctl: the command-line front-end of the edge engine.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "frontends/popyctl/PopyctlCli.h"
#include "frontends/popyctl/Verbs_win.h"
#include "platform/Win32Util_win.h"

int wmain(int argc, wchar_t** argv) {
    // Every DLL loaded from here on, and every DLL it needs, comes from the system folder
    // alone: never from the program's folder, which every program of the user may write to.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Titles print as UTF-8, whatever the console's code page.
    ::SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(popyo::Narrow(argv[i]));
    }
    const popyctl::ParseOutcome parsed = popyctl::ParseCommandLine(args);
    if (!parsed.command) {
        std::fputs(parsed.output.c_str(), stdout);
        if (!parsed.error.empty()) {
            std::fprintf(stderr, "%s\n", parsed.error.c_str());
        }
        return parsed.exitCode;
    }
    try {
        return popyctl::RunCommand(*parsed.command);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "popyctl: %s\n", e.what());
        return popyctl::kExitFailure;
    }
}
