#pragma once

#include <chrono>
#include <string>

// Runs tools the way a user's shell would, for the tests of the programs.
namespace testing_support {

struct commandResult {
  int status = -1;     // exit status; -1 when it could not start or was killed
  std::string output;  // what it wrote on standard output
};

// Runs `command` with /bin/sh and waits for it, collecting its standard
// output (redirect stderr in the command to collect that too). Standard
// input is /dev/null. What the command writes on stderr is passed on to
// ours once it ends, so nothing it leaves behind holds the test runner's
// pipe. After `limit` the command's process group is killed and the
// status is -1: a hung tool fails its test instead of stalling the suite.
commandResult runCommand(const std::string& command,
                         std::chrono::seconds limit = std::chrono::seconds(240));

// `text` as one word for /bin/sh, whatever it holds: single-quoted, with
// each single quote closed, escaped and reopened.
std::string shellQuoted(const std::string& text);

}  // namespace testing_support
