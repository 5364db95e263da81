// The greeting labels: the text texture's coverage (its alpha) as the
// label's alpha, in warm white over a soft dark shadow. Wherever the scene's
// depth (zmap, window-aligned, from the scene target) is nearer than the
// label, the label is hidden behind the cube.
#version 120

uniform sampler2D tex0;  // the greeting's text: white, coverage in alpha
uniform sampler2D zmap;  // depth of the scene pass, targetSize texels

varying vec4 vertexColor;

uniform vec2 targetSize;  // width and height of the scene target in texels
const vec3 ink = vec3(1.0, 0.95, 0.84);
const vec3 shade = vec3(0.02, 0.08, 0.11);
const vec2 shadowOffset = vec2(0.004, 0.004);

void main() {
  float sceneDepth = texture2D(zmap, gl_FragCoord.xy / targetSize).r;
  if (gl_FragCoord.z > sceneDepth) discard;

  vec2 st = gl_TexCoord[0].st;
  float cover = texture2D(tex0, st).a;
  float shadow = 0.7 * texture2D(tex0, st - shadowOffset).a;
  float alpha = cover + (1.0 - cover) * shadow;
  if (alpha <= 0.0) discard;
  vec3 rgb = (cover * ink + (1.0 - cover) * shadow * shade) / alpha;
  gl_FragColor = vec4(rgb, alpha * vertexColor.a);
}
