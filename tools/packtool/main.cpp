// packtool: inspects and builds the show's content. Run "packtool --help".
#include "command.h"

#include <cstdio>
#include <cstring>

std::vector<const packtoolCommand*>& packtoolCommands() {
  static std::vector<const packtoolCommand*> commands;
  return commands;
}

packtoolCommand::packtoolCommand(const char* commandName, const char* commandUsage,
                                 const char* commandSummary, handler commandRun)
    : name(commandName), usage(commandUsage), summary(commandSummary), run(commandRun) {
  packtoolCommands().push_back(this);
}

namespace {

void printHelp(std::FILE* out) {
  std::fprintf(out, "usage: packtool COMMAND [ARGUMENTS...]\n\ncommands:\n");
  for (const packtoolCommand* command : packtoolCommands()) {
    std::fprintf(out, "  %s %s\n      %s\n", command->name, command->usage, command->summary);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    printHelp(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const packtoolCommand* command : packtoolCommands()) {
    if (std::strcmp(argv[1], command->name) == 0) {
      return command->run(std::vector<std::string>(argv + 2, argv + argc));
    }
  }
  std::fprintf(stderr, "packtool: unknown command \"%s\"\n\n", argv[1]);
  printHelp(stderr);
  return 2;
}
