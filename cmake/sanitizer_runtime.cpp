// Linked into every executable of a sanitizer build (AMBER_SANITIZE), and
// only there: the runtime options of the sanitizers, so the binaries behave
// the same however they are started, and what keeps leak reports useful.
//
// Leak reports name the library each allocation came from, but the graphics
// stack unloads its driver before the process ends, which leaves its
// allocations unreachable and their reports without a library name. Making
// unloading a no-op keeps such memory reachable from the driver's globals,
// as it is in a normal run until exit. The libraries that really drop
// memory are suppressed by name: fontconfig (while parsing its
// configuration), Mesa's software driver (when a multisampled context is
// destroyed) and D-Bus (when GTK's accessibility bridge is cut off by an
// exit from inside the setup dialog). Everything allocated by our own code
// is reported.

extern "C" int dlclose(void*) { return 0; }

// Redzones of at least 32 bytes keep the leak check from crashing at exit.
// This runtime guesses the extent of a thread's dynamically allocated TLS
// block: one that starts 16 bytes past a page boundary is taken for an old
// glibc's, and the 16 bytes before it are read as its bounds. glibc 2.34 and
// later allocate such blocks with plain malloc, so those 16 bytes are the
// allocator's chunk header, and the leak check's tracer scans from a small
// bogus address and dies with "Tracer caught signal 11". Mesa's JIT library
// (libLLVM) has a 24-byte block: with 16-byte redzones it shares a size class
// with everything of 25-32 bytes and lands on that offset about once in 256
// processes; with 32-byte redzones its chunks are 64 bytes and it always
// starts 32 bytes into one.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:"
         "check_initialization_order=1:strict_init_order=1:redzone=32";
}

// Suppressed leaks are expected and counted elsewhere; printing their table
// at every exit would make a clean run's stderr look like a report.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// Libraries that keep allocations to the end on purpose, or lose them on a
// path we cannot change: SDL's Wayland back end (with libwayland and
// libdecor) leaves its globals at quit, and a connection to an X server that
// was killed under it cannot be closed.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:swrast_dri.so\n"
         "leak:libdbus-1.so\n"
         "leak:libpulse.so\n"
         "leak:libSDL2-2.0.so\n"
         "leak:libwayland-client.so\n"
         "leak:libdecor\n"
         "leak:libX11.so\n"
         "leak:libxcb.so\n";
}
