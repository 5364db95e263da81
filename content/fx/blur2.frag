// The composite: the lit scene with its ambient occlusion softened, Phong
// highlights added, bloom gathered from the coarse mipmaps of the bright
// parts, then exposure with a soft shoulder.
#version 120
// The overlay maps the picture's pixels onto texels one to one, so the
// mipmap level a bias selects is the bias itself. Naming the level outright
// gives the same samples and spares software GL a level computation per
// pixel; without the extension the bias does it.
#extension GL_ARB_shader_texture_lod : enable
#ifdef GL_ARB_shader_texture_lod
#define sampleLevel(sampler, uv, level) texture2DLod(sampler, uv, level)
#else
#define sampleLevel(sampler, uv, level) texture2D(sampler, uv, level)
#endif

uniform sampler2D tex0;           // lit colour (scene attachment 0)
uniform sampler2D illumMapPhong;  // diffuse, specular, highlight; alpha 1 off the geometry
uniform sampler2D illumMapSSAO;   // ambient visibility
uniform float blurRadius;         // bloom reach, texture units of the full layout
uniform float SSAORadius;         // occlusion softening, the same units
uniform vec2 layoutScale;         // full layout's side / this target's width, height
uniform float bias;               // bloom threshold scale
uniform float bloomLevel;
uniform float exposure;

varying vec2 screenPosition;

const float bloomThreshold = 0.62;

void main() {
  vec2 uv = gl_TexCoord[0].st;
  vec3 scene = sampleLevel(tex0, uv, 0.0).rgb;
  vec4 illumination = texture2D(illumMapPhong, uv);
  float geometry = 1.0 - illumination.a;

  // Occlusion, softened over a disc: the centre from the 4 x 4 mipmap, eight
  // taps around it from the 2 x 2 one.
  float visibility = 2.0 * sampleLevel(illumMapSSAO, uv, 2.0).r;
  for (int i = 0; i < 8; ++i) {
    float angle = 0.785398 * float(i) + 0.392699;
    float reach = (i - (i / 2) * 2 == 0) ? 1.0 : 0.5;
    vec2 offset = vec2(cos(angle), sin(angle)) * layoutScale * SSAORadius * reach;
    visibility += sampleLevel(illumMapSSAO, uv + offset, 1.0).r;
  }
  visibility /= 10.0;
  // Deepen the creases while open faces stay at 1.
  visibility = visibility * visibility;

  // Direct light fills occlusion in; glowing cubes are not occluded.
  float strength = mix(0.95, 0.55, illumination.r) * (1.0 - illumination.b) * geometry;
  vec3 colour = scene * mix(1.0, visibility, strength);
  colour += illumination.g * vec3(1.0, 0.94, 0.82) * 0.55 * geometry;

  // Bloom: bright parts from coarse mipmaps, on a ring of blurRadius. (The
  // scene target regenerates levels down to 5, the occlusion target down to
  // 2: post_processing.cpp.)
  vec3 gathered = sampleLevel(tex0, uv, 4.0).rgb * 2.0;
  for (int i = 0; i < 6; ++i) {
    float angle = 1.0471976 * float(i);
    vec2 offset = vec2(cos(angle), sin(angle)) * layoutScale * blurRadius;
    gathered += sampleLevel(tex0, uv + offset, 3.0).rgb;
  }
  gathered /= 8.0;
  vec3 bloom = max(gathered - vec3(bloomThreshold * bias), 0.0);
  colour += bloom * bloomLevel * 0.9;

  // Exposure on the luminance only, so the amber keeps its saturation as it
  // brightens; what still goes past 1 clips per channel.
  float luminance = max(dot(colour, vec3(0.2126, 0.7152, 0.0722)), 1e-4);
  float exposed = 1.0 - exp(-luminance * exposure * 1.5);
  vec3 mapped = min(colour * (exposed / luminance), vec3(1.0));
  // A light vignette keeps the eye in the middle.
  mapped *= 1.0 - 0.16 * dot(screenPosition, screenPosition);
  gl_FragColor = vec4(mapped, 1.0);
}
