// PopyonnTray's command line: no arguments runs the tray; --exit, --version and --rules FILE.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace popyo::tray {

enum class TrayMode { Run, Exit, Version, Help };

struct TrayOptions {
    TrayMode mode = TrayMode::Run;
    std::optional<std::string> rulesFile;  // UTF-8, as given
};

struct TrayCommandLine {
    std::optional<TrayOptions> options;
    std::string error;  // one line, when there are no options
};

// `args` follow the program name, UTF-8.
TrayCommandLine ParseTrayCommandLine(const std::vector<std::string>& args);

std::string TrayUsage();

}  // namespace popyo::tray
