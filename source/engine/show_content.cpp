#include "engine/show_content.h"

#include "engine/scenes/duck_scene.h"
#include "engine/scenes/frame_composition.h"
#include "engine/scenes/greetings_scene.h"
#include "engine/scenes/post_processing.h"
#include "engine/scenes/title_scenes.h"
#include "engine/scenes/tunnel_scene.h"

void setupContent() {
  scenes::setupPostProcessing();
  scenes::setupTunnelScene();
  scenes::setupTitleScenes();
  scenes::setupGreetingsScene();
  scenes::setupDuckScene();
}

void bindContent() {
  scenes::bindPostProcessing();
  scenes::bindTunnelScene();
  scenes::bindTitleScenes();
  scenes::bindGreetingsScene();
  scenes::bindDuckScene();
}

frameRoutine contentFrameRoutine() { return &scenes::composeFrame; }

void releaseContent() { scenes::releasePostProcessing(); }
