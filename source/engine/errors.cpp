#include "engine/errors.h"

#include "platform/message_box.h"

#include <cstdio>
#include <cstdlib>

const errorEntry errorTable[22] = {
    {0x0, "No error"},
    {0x1, "File not found or cannot access to file"},
    {0x2, "Could not allocate enough memory"},
    {0x3, "Invalid array index. Maybe the index is out of range."},
    {0x4, "Stack overflow error. Pop your pushcorn, bitch."},
    {0x101, "PACKAGE: Invalid/broken package file"},
    {0x102, "PACKAGE: File not found inside the package file"},
    {0x901, "MODEL LOADER: Invalid 3ds file"},
    {0x902, "MODEL LOADER: Parsing 3ds file failed"},
    {0xA01, "MODEL: No vertex array, or empty"},
    {0xA02, "MODEL: No normal array, or empty"},
    {0xA03, "MODEL: No mesh index array or empty"},
    {0xA04, "MODEL: NO VBO arrays built before. Did you forget to build before bind?"},
    {0xB01, "MODEL ARRAY: Current layer cannot be selected"},
    {0xB02, "MODEL ARRAY: Too much multiple textures, video card doesn't support"},
    {0xB81, "IMAGE: Failed to load image (file not found or damaged)"},
    {0x1011, "TRACKER: Could not create device."},
    {0x1012, "TRACKER: Could not connect to rocket host."},
    {0x1013,
     "TRACKER: Unable to convert dynamic variable type to static or tracked and traced to static "
     "or dynamic in runtime."},
    {0x1021, "ENGINE: Couldn't access to package file, or no package file selected."},
    {0xFFFE, "CORE: Memory leaks."},
    {0xFFFF, "CORE: Unknown/undefined error or unimplemeted fuction"},
};

// Grouped by subsystem in tens, like the codes; 2 is left to the command
// line's usage errors and 1 to the window set-up's own failures.
const exitStatusEntry exitStatusTable[23] = {
    {0x1, 10},    {0x2, 11},    {0x3, 12},    {0x4, 13},    {0x101, 20},  {0x102, 21},
    {0x901, 30},  {0x902, 31},  {0xA01, 40},  {0xA02, 41},  {0xA03, 42},  {0xA04, 43},
    {0xB01, 50},  {0xB02, 51},  {0xB81, 60},  {0x1011, 70}, {0x1012, 71}, {0x1013, 72},
    {0x1021, 80}, {0xFFFE, 90}, {0xFFFF, 91},
    {errorCode::graphicsInitBase + 1, 100},
    {errorCode::windowClassFailed, 101},
};

void (*haltTeardown)() = nullptr;

namespace {

const char* findMessage(int32_t code) {
  for (const errorEntry& entry : errorTable) {
    if (entry.code == code) return entry.message;
  }
  return nullptr;
}

}  // namespace

const char* errorMessage(int32_t code) {
  const char* message = findMessage(code);
  return message != nullptr ? message : findMessage(errorCode::coreUnknown);
}

void formatHaltMessage(int32_t code, char* out, int capacity) {
  std::snprintf(out, static_cast<size_t>(capacity),
                "Engine halt requested due to fatal error.\nFramework v%s released with error "
                "code %#x.",
                engineVersion, static_cast<unsigned>(code));
}

int exitStatusFor(int32_t code) {
  if (code == 0) return 0;
  for (const exitStatusEntry& entry : exitStatusTable) {
    if (entry.code == code) return entry.status;
  }
  return unknownCodeStatus;
}

void halt(int32_t code) {
  if (code != 0) {
    // On the stack: a halt for want of memory must not need any.
    char text[1024];
    formatHaltMessage(code, text, static_cast<int>(sizeof text));
    platform::showMessage(haltCaption, text, platform::messageIcon::warning);
  }
  if (haltTeardown != nullptr) {
    void (*teardown)() = haltTeardown;
    haltTeardown = nullptr;
    teardown();
  }
  std::exit(exitStatusFor(code));
}

void reportAndHalt(int32_t code) {
  platform::showMessage(haltCaption, errorMessage(code), platform::messageIcon::warning);
  halt(code);
}

void reportExceptionAndHalt(const std::exception& caught, int32_t code) {
  std::fprintf(stderr, "ENGINE: %s\n", caught.what());
  reportAndHalt(code);
}
