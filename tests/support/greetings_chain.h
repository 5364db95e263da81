#pragma once

#include "support/gallery.h"

#include <map>
#include <string>
#include <vector>

namespace NGcomp {
class drawShader;
}

// The greetings scene drawn through the post-processing chain as the show
// sets it up: the shell's cameras and light, the chain, the scene, the
// loading walk and the binding steps, over a pack with the show's shaders
// and cube model and constant tracks the test chooses.
namespace testing_support {

class greetingsChainTest : public galleryTest {
 protected:
  // Releases the render targets and forgets the shell's items, then the
  // gallery's own tear-down.
  void TearDown() override;

  // Every track the chain and the scene read, as constants: a view along
  // the cube row, the light above it, a cool cyan clear, the greetings on.
  // `overrides` replaces the value of any of them by name.
  std::vector<zipEntry> chainPack(const std::map<std::string, float>& overrides = {},
                                  const std::map<std::string, std::string>& trackFiles = {});

  // Writes and opens the pack (with `shaderOverrides` replacing shader
  // sources by file name and `trackFiles` replacing whole track files by
  // track name), then runs set-up, loading and binding in show order, from
  // the first random number.
  void buildChain(const std::map<std::string, float>& overrides = {},
                  const std::map<std::string, std::string>& shaderOverrides = {},
                  const std::map<std::string, std::string>& trackFiles = {});

  // The same with the show's own tracks, compiled from its sync script.
  void buildShowChain();

  // One frame at `row` as the frame routine draws the greetings: projection,
  // camera, light, clear, then the chain when the cube model is active.
  void drawFrame(float row);

  // The first program item of that name.
  static NGcomp::drawShader* program(const char* name);

  // A float (or int, read as float) uniform of a program as it stands now.
  static float uniformValue(const char* programName, const char* uniform);

 private:
  // Shaders, model and `tracks`; then set-up, loading and binding.
  void buildFrom(std::vector<zipEntry> entries,
                 const std::map<std::string, std::string>& shaderOverrides);
};

}  // namespace testing_support
