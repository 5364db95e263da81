#pragma once

#include <stdexcept>
#include <string>

namespace content {

// Content the show cannot use: a bad source file, or an asset that would break
// the engine's loaders. The message names the file (and line) at fault, so
// the build can print it as it stands.
class contentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace content
