#include "engine/startup.h"

#include "engine/errors.h"
#include "engine/music.h"
#include "engine/package.h"
#include "engine/shell.h"
#include "engine/show_content.h"
#include "engine/window_icon.h"

void startShowContent(const startupChoices& choices) {
  if (choices.packagePath.empty()) {
    guarded([] { openPackage(); });
  } else {
    guarded([&] { openPackageAt(choices.packagePath.c_str()); });
  }
  showBadgeAsWindowIcon();
  guarded([] { createShellItems(); });
  guarded([] { setupContent(); });
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
  guarded([] { bindShellGroups(); });
  guarded([] { bindContent(); });
  frameCallback = contentFrameRoutine();
}
