// Amber Pudding: the show. Everything it shows and plays comes from pack.zip
// in the working directory; the options preselect the setup dialog's
// choices (amberpudding --help).
#include "engine/command_line.h"
#include "engine/shell.h"
#include "platform/heap_tuning.h"

int main(int argc, char** argv) {
  platform::useLargePageHeap(argv);
  takeShowCommandLine(argc, argv);
  runShow();
}
