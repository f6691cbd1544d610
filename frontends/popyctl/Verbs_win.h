// Carrying out a parsed command against the engine and the desktop.
#pragma once

#include "frontends/popyctl/PopyctlCli.h"

namespace popyctl {

// Returns the exit code; throws Failure for what could not be done.
int RunCommand(const Command& cmd);

}  // namespace popyctl
