#pragma once

#include <cstdint>

namespace platform {

// The process's address-space limit in bytes (ulimit -v), or 0 when there
// is none. One system call.
uint64_t addressSpaceLimit();

}  // namespace platform

namespace platform {

// The address space the process has mapped now, in bytes (0 when it cannot
// be read). Reads /proc/self/statm: a few microseconds.
uint64_t addressSpaceInUse();

}  // namespace platform
