// `popyctl run`: a front-end that stays attached, takes the windows its rules name, and
// watches over them should the engine end without a detach.
#pragma once

#include <vector>

#include "frontends/common/EngineLink_win.h"
#include "frontends/popyctl/PopyctlCli.h"

namespace popyctl {

// Returns the exit code once detached (or once the engine is gone).
int RunRules(const popyo::frontend::EngineLink& engine, const std::vector<Rule>& rules);

}  // namespace popyctl
