#include "support/offline_renderer.h"

#include "support/desktop_session.h"

namespace testing_support {

commandResult renderInPackFolder(const std::string& arguments) {
  return runCommand("cd " + packFolder() + " && " + AMBER_RENDER_EXECUTABLE + " " + arguments +
                    " 2>&1");
}

}  // namespace testing_support
