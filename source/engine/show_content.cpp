#include "engine/show_content.h"

void setupContent() {}

void bindContent() {}

frameRoutine contentFrameRoutine() { return nullptr; }

void releaseContent() {}
