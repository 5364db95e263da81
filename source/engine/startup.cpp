#include "engine/startup.h"

#include "api/render/render_target.h"
#include "engine/errors.h"
#include "engine/music.h"
#include "engine/package.h"
#include "engine/shell.h"
#include "engine/show_content.h"
#include "engine/window_icon.h"
#include "platform/crash_report.h"

#include <cstdlib>
#include <cstring>

namespace {

// AMBER_FULL_RENDER_TARGETS set to anything but 0 keeps the full render
// target layout (2048 and up, every attachment mipmapped) to compare
// pictures against; it never turns a layout chosen in code back.
void chooseRenderTargetLayout() {
  const char* full = std::getenv("AMBER_FULL_RENDER_TARGETS");
  if (full != nullptr && std::strcmp(full, "0") != 0) FWrender::compactRenderTargets = false;
}

}  // namespace

void startShowContent(const startupChoices& choices) {
  platform::noteActivity("opening the package");
  if (choices.packagePath.empty()) {
    guarded([] { openPackage(); });
  } else {
    guarded([&] { openPackageAt(choices.packagePath.c_str()); });
  }
  showBadgeAsWindowIcon();
  guarded([] { createShellItems(); });
  chooseRenderTargetLayout();
  platform::noteActivity("setting up the scenes");
  guarded([] { setupContent(); });
  platform::noteActivity("opening the music");
  guarded([] { openMusic(128.0); });
  if (choices.clock) {
    guarded([&] {
      musicStream* opened = music->stream;
      musicStream* replacement = choices.clock(opened);
      if (replacement != opened) {
        delete opened;
        music->stream = replacement;
      }
    });
  }
  if (choices.loadingPresenter != nullptr) activePresenter = choices.loadingPresenter;
  loadAll();
  platform::noteActivity("binding the tracks");
  guarded([] { bindShellGroups(); });
  guarded([] { bindContent(); });
  frameCallback = contentFrameRoutine();
}
