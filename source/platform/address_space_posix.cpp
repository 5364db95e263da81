#include "platform/address_space.h"

#include <sys/resource.h>

namespace platform {

uint64_t addressSpaceLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return static_cast<uint64_t>(limit.rlim_cur);
}

}  // namespace platform

#include <unistd.h>

#include <cstdio>

namespace platform {

uint64_t addressSpaceInUse() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long long pages = 0;
  const int read = std::fscanf(statm, "%llu", &pages);
  std::fclose(statm);
  return read == 1 ? pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}

}  // namespace platform
