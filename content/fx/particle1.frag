// Particles and pictures of the title, opening and duck scenes. The
// content's sprites are grey without alpha and the pictures' alpha comes as
// a separate grey image, so coverage is taken from brightness.
//   mode 1: sprites and screen quads in their colour (coverage from the
//           sprite's brightness); the title model, whose material has a
//           specular colour, lit by a key and a rim light
//   mode 2: the credit pictures, alpha from the companion on alphaMap
//   mode 3: the title particles: sparks in their colour with a white core
//   mode 4: the duck and badge pictures, shown by csoda with a passing glint
// Writes the picture to draw buffer 0 and nothing (zero alpha) to buffer 1,
// which the title scene keeps for its star sky.
#version 120

uniform sampler2D tex0;
uniform sampler2D alphaMap;  // unit of a picture's alpha companion
uniform int mode;
uniform float csoda;         // mode 4: 0 hidden, 1 fully shown
uniform float time;

varying vec3 eyeNormal;
varying vec3 eyePosition;
varying vec4 vertexColor;

float brightness(vec3 colour) { return max(colour.r, max(colour.g, colour.b)); }

vec4 litModel() {
  vec3 normal = normalize(eyeNormal);
  if (!gl_FrontFacing) normal = -normal;
  vec3 toEye = normalize(-eyePosition);
  vec3 key = normalize(vec3(-0.45, 0.6, 0.65));
  float diffuse = max(dot(normal, key), 0.0);
  vec3 fill = normalize(vec3(0.6, -0.3, 0.5));
  float diffuse2 = max(dot(normal, fill), 0.0) * 0.35;
  float specular = pow(max(dot(normal, normalize(key + toEye)), 0.0), clamp(gl_FrontMaterial.shininess, 8.0, 96.0));
  float rim = pow(1.0 - max(dot(normal, toEye), 0.0), 3.0);
  vec3 colour = gl_FrontMaterial.ambient.rgb * 0.8 +
                gl_FrontMaterial.diffuse.rgb * (0.18 + 0.82 * diffuse + diffuse2) +
                gl_FrontMaterial.specular.rgb * specular * 0.9 +
                vec3(0.55, 0.88, 0.98) * rim * 0.35;
  return vec4(colour, 1.0);
}

void main() {
  vec2 uv = gl_TexCoord[0].st;
  vec4 texel = texture2D(tex0, uv);
  vec4 colour;
  if (mode == 2) {
    colour = vec4(texel.rgb, texture2D(alphaMap, uv).r * vertexColor.a);
  } else if (mode == 3) {
    float glow = brightness(texel.rgb);
    float core = smoothstep(0.55, 1.0, glow);
    vec3 spark = mix(vertexColor.rgb * 1.25, vec3(1.0), core * 0.7);
    colour = vec4(spark, min(1.0, glow * 1.4) * vertexColor.a);
  } else if (mode == 4) {
    float shown = clamp(csoda, 0.0, 1.0);
    float mask = texture2D(alphaMap, uv).r;
    // A soft diagonal glint crossing the picture every four seconds.
    float sweep = fract(time * 0.25) * 3.0 - 1.0;
    float glint = exp(-pow((uv.x + (1.0 - uv.y)) * 0.5 - sweep, 2.0) * 60.0);
    colour = vec4(texel.rgb + vec3(0.35) * glint * shown, mask * shown * vertexColor.a);
  } else if (gl_FrontMaterial.specular.r + gl_FrontMaterial.specular.g + gl_FrontMaterial.specular.b > 0.0) {
    colour = litModel();
  } else {
    // The sprite's brightness is its coverage, not a shade: its hue is kept
    // at full strength so soft edges fade out instead of darkening.
    float glow = brightness(texel.rgb);
    colour = vec4(texel.rgb / max(glow, 0.001) * vertexColor.rgb, min(1.0, glow * 1.5) * vertexColor.a);
  }
  gl_FragData[0] = colour;
  gl_FragData[1] = vec4(0.0);
}
