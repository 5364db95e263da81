#pragma once

#include "support/command.h"

#include <string>

// The built offline renderer, run as a user would from the folder of the
// built pack.zip, for the renderer's program tests.
namespace testing_support {

// Runs amberrender with `arguments` (shell words) in the folder of the built
// pack.zip (packFolder() of desktop_session.h); stderr is
// collected with stdout. Blocks until it ends (runCommand's limit applies).
commandResult renderInPackFolder(const std::string& arguments);

}  // namespace testing_support
