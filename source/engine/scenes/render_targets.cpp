#include "engine/scenes/post_processing.h"

namespace scenes {

std::unique_ptr<FWrender::RenderTarget> sceneTarget;
std::unique_ptr<FWrender::RenderTarget> occlusionTarget;

}  // namespace scenes
