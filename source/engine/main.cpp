// Amber Pudding: the show. Everything it shows and plays comes from pack.zip
// in the working directory; the options preselect the setup dialog's
// choices (amberpudding --help).
#include "engine/command_line.h"
#include "engine/shell.h"

int main(int argc, char** argv) {
  takeShowCommandLine(argc, argv);
  runShow();
}
