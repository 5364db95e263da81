#pragma once

#include "engine/settings.h"

#include <optional>
#include <string>

// The show's command line: GNU-style long options for what the setup
// dialog chooses, plus --help and --version. Parsing never opens a window.

struct showCommandLine {
  settingsPreset preset;  // the dialog's choices named on the line
  // --hold: the moment (in seconds) the show's clock stands at, for tests
  // and creators who need one known frame; the music is not played.
  std::optional<double> holdSeconds;
  // --edit: the content folder creator mode reads and watches.
  std::optional<std::string> editFolder;
  bool help = false;
  bool version = false;
};

// Reads argv into `parsed`. False with a one-line `error` (no newline) for
// an unknown option or a bad value.
bool parseShowCommandLine(int argc, char** argv, showCommandLine* parsed, std::string* error);

// The --help text: usage, every option and the package the show would
// open (looks for it: two stat calls).
std::string showUsage();

// The --version text: the caption's name, version and build, and the
// package the show would open.
std::string showVersion();

// The --hold moment of the show's command line; empty: the music's clock.
extern std::optional<double> heldShowSeconds;

// The --edit content folder of the show's command line; empty: the show
// plays from its package alone.
extern std::optional<std::string> editContentFolder;

// Parses the command line of the show's executable: prints --help or
// --version and exits 0, exits 2 after one line on stderr for a bad option,
// else stores the choices in startPreset. Call first thing in main.
void takeShowCommandLine(int argc, char** argv);
