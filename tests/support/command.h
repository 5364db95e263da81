#pragma once

#include <string>

// Runs tools the way a user's shell would, for the tests of the programs.
namespace testing_support {

struct commandResult {
  int status = -1;     // exit status; -1 when it could not start or was killed
  std::string output;  // what it wrote on standard output
};

// Runs `command` with /bin/sh and waits for it, collecting its standard
// output (redirect stderr in the command to collect or capture that too).
commandResult runCommand(const std::string& command);

}  // namespace testing_support
