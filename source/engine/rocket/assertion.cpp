#include "engine/rocket/assertion.h"

#include <cstdio>
#include <cstring>

namespace {

struct reportedSite {
  const char* source;
  int32_t line;
};

// Sites are few (a handful of checks in the sync layer); once the table is
// full, later sites are counted but not reported.
constexpr int maxReportedSites = 32;
reportedSite reportedSites[maxReportedSites];
int reportedSiteCount = 0;
int32_t failures = 0;

bool alreadyReported(const char* source, int32_t line) {
  for (int i = 0; i < reportedSiteCount; ++i) {
    if (reportedSites[i].line == line && std::strcmp(reportedSites[i].source, source) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool liveAssertion(bool holds, const char* text, const char* source, int32_t line) {
  if (holds) return true;
  ++failures;
  if (alreadyReported(source, line) || reportedSiteCount == maxReportedSites) return false;
  reportedSites[reportedSiteCount++] = {source, line};
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", text, source,
               static_cast<int>(line));
  std::fflush(stderr);
  return false;
}

int32_t failedAssertionCount() { return failures; }

void resetAssertionReports() {
  reportedSiteCount = 0;
  failures = 0;
}
