#pragma once

#include <string>
#include <vector>

// packtool's commands register themselves: each command_*.cpp defines one
// static packtoolCommand, and main() dispatches on the first argument.
struct packtoolCommand {
  using handler = int (*)(const std::vector<std::string>& arguments);

  // Registers the command; `usage` is the argument synopsis and `summary`
  // one line for --help.
  packtoolCommand(const char* name, const char* usage, const char* summary, handler run);

  const char* name;
  const char* usage;
  const char* summary;
  handler run;
};

// The registered commands, in registration order.
std::vector<const packtoolCommand*>& packtoolCommands();
