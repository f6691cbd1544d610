#include "frontends/tray/TrayCommandLine.h"

namespace popyo::tray {
namespace {

// Texts start as std::string rather than a literal: GCC 12 warns falsely (-Wrestrict) on a
// literal followed by a temporary string.

TrayCommandLine Bad(std::string error) {
    return {std::nullopt,
            std::string("PopyonnTray: ") + std::move(error) + " (see PopyonnTray --help)"};
}

}  // namespace

TrayCommandLine ParseTrayCommandLine(const std::vector<std::string>& args) {
    TrayOptions options;
    bool modeGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<TrayMode> mode;
        if (arg == "--exit") {
            mode = TrayMode::Exit;
        } else if (arg == "--version") {
            mode = TrayMode::Version;
        } else if (arg == "--help" || arg == "-h" || arg == "/?") {
            mode = TrayMode::Help;
        } else if (arg == "--rules" || arg.starts_with("--rules=")) {
            if (options.rulesFile) {
                return Bad("--rules given twice");
            }
            if (arg == "--rules" && i + 1 == args.size()) {
                return Bad("--rules needs a file");
            }
            options.rulesFile = arg == "--rules" ? args[++i] : arg.substr(8);
            if (options.rulesFile->empty()) {
                return Bad("--rules needs a file");
            }
        } else {
            return Bad("unknown argument '" + arg + "'");
        }
        if (mode) {
            if (modeGiven) {
                return Bad("give only one of --exit, --version, --help");
            }
            options.mode = *mode;
            modeGiven = true;
        }
    }
    // Only a running tray reads rules; an exit request must never look like a start.
    if (options.rulesFile && options.mode == TrayMode::Exit) {
        return Bad("--rules does not go with --exit");
    }
    return {options, {}};
}

std::string TrayUsage() {
    return "Usage: PopyonnTray [--rules FILE] | --exit | --version | --help\n"
           "\n"
           "Without arguments the tray starts (one per session), starts the engine when none\n"
           "runs, and tucks away the windows its rules name. Its rules file is\n"
           "PopyoTray_<user>.toml beside the program, or FILE.\n"
           "  --exit     asks the running tray to exit: every window goes back and the engine\n"
           "             ends. Waits up to 10 s; exit status 0 once no tray runs.\n"
           "  --version  prints the version.\n";
}

}  // namespace popyo::tray
