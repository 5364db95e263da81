#pragma once

// Three nested tunnels with four layers of particles between them.
namespace scenes {

// Start-up, after the post-processing set-up: tunnels "cso0" to "cso2",
// 256 particles in four layers, the programs.
void setupTunnelScene();

// Track binding: "tunnel.forgas", "tunnel.csoda".
void bindTunnelScene();

// Whether the tunnel component "cso0" is active (the scene's switch).
bool tunnelActive();

// The scene, outermost layer first; ends with blending off and the depth
// buffer cleared.
void drawTunnelScene();

}  // namespace scenes
