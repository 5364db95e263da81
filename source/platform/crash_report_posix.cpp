#include "platform/crash_report.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace platform {

namespace {

constexpr size_t noteSize = 192;

// Two copies of the activity: a note is written into the one not being
// read and then made current, so a handler never reads a half-written one.
char activities[2][noteSize] = {{"starting"}, {"starting"}};
std::atomic<int> currentActivity{0};
char rendererNote[noteSize] = "unknown";
char versionNote[noteSize] = "unknown";

// The handler's own stack, so that a stack overflow can still be reported.
alignas(16) char handlerStack[64 * 1024];

void copyNote(char* into, const char* text) {
  if (text == nullptr) text = "unknown";
  std::strncpy(into, text, noteSize - 1);
  into[noteSize - 1] = '\0';
}

// Appending to a fixed line with nothing but what a signal handler may use.
struct line {
  char text[1024];
  size_t length = 0;
  void add(const char* part) {
    while (part != nullptr && *part != '\0' && length < sizeof text - 1) text[length++] = *part++;
  }
};

const char* signalName(int number) {
  switch (number) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
  }
}

// The program counter where the signal struck, when the platform says.
const void* faultingAddress(const void* context) {
  const auto* machine = &static_cast<const ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
  return reinterpret_cast<const void*>(machine->gregs[REG_RIP]);
#elif defined(__aarch64__)
  return reinterpret_cast<const void*>(machine->pc);
#else
  (void)machine;
  return nullptr;
#endif
}

// The shared object (or the program) that holds `address`, or null. dladdr
// takes the loader's lock, which a crash inside the loader itself would
// hold; that case is rare enough to accept.
const char* moduleOf(const void* address) {
  Dl_info found{};
  if (address == nullptr || dladdr(address, &found) == 0 || found.dli_fname == nullptr) {
    return nullptr;
  }
  const char* slash = std::strrchr(found.dli_fname, '/');
  return slash != nullptr ? slash + 1 : found.dli_fname;
}

bool isCLibrary(const char* module) {
  return module != nullptr && std::strncmp(module, "libc.so", 7) == 0;
}

// Where the signal came from: the module of the instruction that faulted,
// or, for abort() and raise(), which live in the C library, the first
// caller outside it (a driver's library that gave up, or this program).
const char* originOf(const void* context) {
  const void* address = faultingAddress(context);
  const char* module = moduleOf(address);
  if (!isCLibrary(module)) return module != nullptr ? module : "an unknown place";
  void* frames[48];
  const int count = backtrace(frames, 48);
  int at = 0;
  while (at < count && frames[at] != address) ++at;
  for (++at; at < count; ++at) {
    const char* caller = moduleOf(frames[at]);
    if (caller != nullptr && !isCLibrary(caller)) return caller;
  }
  return module;
}

constexpr int reportedSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
// What each signal did before: the default action, or a sanitizer's report.
struct sigaction previousActions[sizeof reportedSignals / sizeof reportedSignals[0]];

extern "C" void reportFatalSignal(int number, siginfo_t* info, void* context) {
  line report;
  report.add("Fatal signal ");
  report.add(signalName(number));
  report.add(" in ");
  report.add(originOf(context));
  report.add(" while ");
  report.add(activities[currentActivity.load(std::memory_order_acquire)]);
  report.add("; OpenGL: ");
  report.add(rendererNote);
  report.add(", ");
  report.add(versionNote);
  report.add("\n");
  ssize_t written = write(STDERR_FILENO, report.text, report.length);
  (void)written;
  // Back to what the signal did before. A fault the hardware raised repeats
  // when this handler returns and meets that action; a signal sent by
  // raise() or kill() is sent again (abort() sends its own once more).
  for (size_t i = 0; i < sizeof reportedSignals / sizeof reportedSignals[0]; ++i) {
    if (reportedSignals[i] == number) sigaction(number, &previousActions[i], nullptr);
  }
  if (info == nullptr || info->si_code <= 0) raise(number);
}

}  // namespace

void installCrashReport() {
  // Once: a second install would take this handler for the previous one.
  static bool installed = false;
  if (installed) return;
  installed = true;
  // backtrace() loads its unwinder on first use, which a signal handler
  // must not do: load it now.
  void* warmUp[2];
  backtrace(warmUp, 2);
  stack_t stack{};
  stack.ss_sp = handlerStack;
  stack.ss_size = sizeof handlerStack;
  sigaltstack(&stack, nullptr);
  struct sigaction action {};
  action.sa_sigaction = reportFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < sizeof reportedSignals / sizeof reportedSignals[0]; ++i) {
    sigaction(reportedSignals[i], &action, &previousActions[i]);
  }
}

void noteActivity(const char* activity) {
  const int spare = 1 - currentActivity.load(std::memory_order_relaxed);
  copyNote(activities[spare], activity);
  currentActivity.store(spare, std::memory_order_release);
}

void noteRenderer(const char* renderer, const char* version) {
  copyNote(rendererNote, renderer);
  copyNote(versionNote, version);
}

}  // namespace platform
