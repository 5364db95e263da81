#include "engine/errors.h"

#include "platform/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

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
  const int lowByte = static_cast<int>(static_cast<uint32_t>(code) & 0xFFu);
  return lowByte != 0 ? lowByte : 255;
}

void halt(int32_t code) {
  if (code != 0) {
    std::vector<char> text(1024);
    formatHaltMessage(code, text.data(), static_cast<int>(text.size()));
    platform::showMessage(haltCaption, text.data(), platform::messageIcon::warning);
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
