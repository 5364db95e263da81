#pragma once

#include <cstdint>

// Live assertions of the sync layer. A failed check is reported on stderr
// with its condition text, source name and line, in the runtime's own
// assertion format, and then the caller carries on: the show is never
// aborted by one. Each failing site is reported once, so a bad key that is
// evaluated every frame does not flood the log.

// Checks `holds`; when false, reports `text` at `source`:`line` (the first
// time for that site) and returns false. No allocation; cheap when it holds.
bool liveAssertion(bool holds, const char* text, const char* source, int32_t line);

// Failed checks since start-up (or the last reset), reported or not.
int32_t failedAssertionCount();

// Forgets which sites were reported and zeroes the count (tests and tools).
void resetAssertionReports();
