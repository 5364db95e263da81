// Amber Pudding: the show. No arguments; everything comes from pack.zip in
// the working directory.
#include "engine/shell.h"

int main() { runShow(); }
