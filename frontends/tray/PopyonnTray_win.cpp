// PopyonnTray: the everyday front-end of the edge engine, in the notification area.
#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "frontends/tray/Notice_win.h"
#include "frontends/tray/TrayApp_win.h"
#include "frontends/tray/TrayCommandLine.h"
#include "frontends/tray/TrayFiles_win.h"
#include "frontends/tray/TrayProcess_win.h"
#include "frontends/tray/TrayTexts_win.h"
#include "platform/Win32Util_win.h"

namespace {

using namespace popyo;
using namespace popyo::tray;

std::vector<std::string> Arguments() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv != nullptr && i < argc; ++i) {
        args.push_back(Narrow(argv[i]));
    }
    ::LocalFree(argv);
    return args;
}

// To the console when there is one; a box only when the text could go nowhere else.
void Say(const std::string& text, bool error) {
    if (!WriteToConsole(text, error)) {
        ShowNoticeAndWait(Widen(text));
    }
}

int RunTray(HINSTANCE instance, const TrayOptions& options) {
    const UniqueHandle instanceLock = ClaimSingleInstance();
    // A second start leaves the running tray alone.
    if (!instanceLock) {
        return 0;
    }
    const std::wstring rules =
        options.rulesFile ? AbsolutePath(Widen(*options.rulesFile)) : DefaultRulesPath();
    TrayApp app(instance, rules);
    return app.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Every DLL loaded from here on, and every DLL it needs, comes from the system folder
    // alone: never from the program's folder, which every program of the user may write to.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const TrayCommandLine parsed = ParseTrayCommandLine(Arguments());
    if (!parsed.options) {
        Say(parsed.error + "\n", true);
        return 2;
    }
    try {
        switch (parsed.options->mode) {
            case TrayMode::Version:
                Say("PopyonnTray " POPYO_VERSION "\n", false);
                return 0;
            case TrayMode::Help:
                Say(TrayUsage(), false);
                return 0;
            case TrayMode::Exit:
                return ExitRunningTray();
            case TrayMode::Run:
                return RunTray(instance, *parsed.options);
        }
    } catch (const std::exception& e) {
        const Language language = ChooseLanguage(lnFollowWindows, ::GetUserDefaultUILanguage());
        ShowNoticeAndWait(SayW(TrayText::Stopped, language, {Widen(e.what())}));
    }
    return 1;
}
