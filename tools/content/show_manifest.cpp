#include "content/show_manifest.h"

namespace content::manifest {

const std::vector<std::string>& trackNames() {
  static const std::vector<std::string> names = {
      // Activity of the bindable items: cameras, light, tunnel, cube, duck.
      "cam0.bind", "cam1.bind", "light0.bind", "cso0.bind", "gricc.bind", "kacsa.bind",
      // Cameras: eye as radius, azimuth, elevation around the centre; roll.
      "cam0.e.x", "cam0.e.y", "cam0.e.z", "cam0.c.x", "cam0.c.y", "cam0.c.z", "cam0.rot",
      "cam1.e.x", "cam1.e.y", "cam1.e.z", "cam1.c.x", "cam1.c.y", "cam1.c.z", "cam1.rot",
      // Clear colour and light.
      "clear.c.r", "clear.c.g", "clear.c.b", "light0.pos.x", "light0.pos.y", "light0.pos.z",
      // Post-processing.
      "blur.r", "ssao.r.1", "ssao.r.2", "ssao.r.3", "hdr.v.b", "hdr.v.l", "hdr.v.e",
      // Tunnel, title particles and opening.
      "tunnel.forgas", "tunnel.csoda", "tent.bind", "tent.fade", "tent.eltol", "eleje.bind",
      "eleje.eltol",
      // Greetings.
      "griccTXT.bind", "kocka.villog", "kocka.sor",
      // Fades and the duck pictures.
      "feher.fade", "fekete.fade", "kacsa.fade",
  };
  return names;
}

const std::vector<std::string>& textureNames() {
  static const std::vector<std::string> names = {
      "PARTICLE0.JPG", "PARTICLE1.JPG", "particle3.jpg", "starfield.jpg",
      "image_01.jpg",  "image_02.jpg",  "image_03.jpg",  "image_01a.jpg",
      "image_02a.jpg", "image_03a.jpg", "duck2.png",     "duck2a.png",
      "badge12.png",   "badge12a.png",
  };
  return names;
}

const std::vector<std::string>& modelNames() {
  static const std::vector<std::string> names = {"cube10by10.3ds", "title.3ds"};
  return names;
}

const std::vector<std::string>& shaderNames() {
  static const std::vector<std::string> names = {
      // Shared vertex stages.
      "basic.vert", "passthrough.vert",
      // Post-processing chain and greetings.
      "pointlight.frag", "ssao.frag", "blur2.frag", "particle3.frag",
      // Tunnel scene: the three walls, the dots, the spare point light.
      "tunnel.vert", "tunnel1.frag", "tunnel2.frag", "tunnel3.frag", "particle2.frag",
      "pointlight2.frag",
      // Title particles, opening and duck pictures; the title composite and sky.
      "particle1.frag", "particle1_post.frag", "skybox.frag",
  };
  return names;
}

}  // namespace content::manifest
