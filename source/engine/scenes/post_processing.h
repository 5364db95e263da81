#pragma once

#include "api/render/render_target.h"

#include <memory>

// The ambient-occlusion and HDR chain: the greetings scene is drawn into the
// four attachments of sceneTarget (colour, normals, depth as colour, Phong
// illumination), occlusion is computed into occlusionTarget, and a composite
// with bloom and exposure goes to the screen.
namespace scenes {

// Made by setupPostProcessing; the title scene and the greeting labels
// sample sceneTarget's attachments too.
extern std::unique_ptr<FWrender::RenderTarget> sceneTarget;
extern std::unique_ptr<FWrender::RenderTarget> occlusionTarget;

// Start-up, before any scene: targets, overlay sprites, noise texture,
// kernel and programs (draws from rand; the order of set-ups matters).
// Throws 1 without usable framebuffer objects.
void setupPostProcessing();

// Track binding: the "blur", "ssao" and "hdr" groups.
void bindPostProcessing();

// The frame pass: greetings content into sceneTarget, occlusion, composite
// to the screen, then the greeting labels on top.
void runPostProcessing();

// After the main loop: releases both targets.
void releasePostProcessing();

}  // namespace scenes
