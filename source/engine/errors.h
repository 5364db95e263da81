#pragma once

#include <cstdint>
#include <exception>
#include <new>

// Error codes and the engine halt. Failing code throws a bare int code; the
// shell's phases catch it with guarded(), show the code's message and halt.

namespace errorCode {
constexpr int32_t none = 0;
constexpr int32_t fileNotFound = 1;
constexpr int32_t outOfMemory = 2;
constexpr int32_t badIndex = 3;
constexpr int32_t stackOverflow = 4;
constexpr int32_t packageBroken = 0x101;
constexpr int32_t packageEntryMissing = 0x102;
constexpr int32_t modelInvalid3ds = 0x901;
constexpr int32_t modelParseFailed = 0x902;
constexpr int32_t modelNoVertices = 0xA01;
constexpr int32_t modelNoNormals = 0xA02;
constexpr int32_t modelNoIndices = 0xA03;
constexpr int32_t modelNotBuilt = 0xA04;
constexpr int32_t arrayLayerNotSelectable = 0xB01;
constexpr int32_t arrayTooManyTextures = 0xB02;
constexpr int32_t imageLoadFailed = 0xB81;
constexpr int32_t trackerNoDevice = 0x1011;
constexpr int32_t trackerNoHost = 0x1012;
constexpr int32_t trackerTypeConversion = 0x1013;
constexpr int32_t engineNoPackage = 0x1021;
constexpr int32_t coreMemoryLeaks = 0xFFFE;
constexpr int32_t coreUnknown = 0xFFFF;
// Graphics initialisation halts with this base plus the GL layer's failure.
constexpr int32_t graphicsInitBase = 0x1A0000;
// The window system could not be started (no usable video driver).
constexpr int32_t windowClassFailed = 1001;
}  // namespace errorCode

constexpr const char* engineVersion = "0.3.0.4";
constexpr const char* haltCaption = "Engine halted";

struct errorEntry {
  int32_t code;
  const char* message;
};

// The fixed message table in lookup order (22 entries).
extern const errorEntry errorTable[22];

// The message of `code`, or the unknown-error text when the table has none.
// The text lives as long as the process.
const char* errorMessage(int32_t code);

// The halt message for a non-zero code (version and "%#x" of the code).
void formatHaltMessage(int32_t code, char* out, int capacity);

struct exitStatusEntry {
  int32_t code;
  int status;
};

// Every code a halt can end with and its process status (documented in
// README). A status keeps to 1-125: Linux keeps only 8 bits of it, and
// shells read 126 and above as "cannot run" or "killed by a signal".
extern const exitStatusEntry exitStatusTable[23];

// A code outside exitStatusTable exits with this status.
constexpr int unknownCodeStatus = 99;

// The process status for an error code: 0 for 0, the table's status, or
// unknownCodeStatus. Pure; the halt message still carries the whole code.
int exitStatusFor(int32_t code);

// Ends the program: shows the halt message when `code` is not 0, tears down
// the main window if there is one, and exits. Never returns.
[[noreturn]] void halt(int32_t code);

// What the error guard does with a caught code: the table message under
// "Engine halted" with a warning icon, then halt(code).
[[noreturn]] void reportAndHalt(int32_t code);

// What the guard does with a standard exception: its text on stderr, then
// reportAndHalt(code).
[[noreturn]] void reportExceptionAndHalt(const std::exception& caught, int32_t code);

// Runs `phase`; an int thrown out of it is reported and halts the program.
// The containers and strings of this code base throw standard exceptions:
// std::bad_alloc halts with code 2 (out of memory), any other standard
// exception with code 3, both after the exception's text. Exceptions of
// other types pass through.
template <class Phase>
void guarded(Phase&& phase) {
  try {
    phase();
  } catch (int code) {
    reportAndHalt(code);
  } catch (const std::bad_alloc& caught) {
    reportExceptionAndHalt(caught, errorCode::outOfMemory);
  } catch (const std::exception& caught) {
    reportExceptionAndHalt(caught, errorCode::badIndex);
  }
}

// Called by halt() before exiting; graphics initialisation installs the
// window teardown here. Null when no window exists.
extern void (*haltTeardown)();
