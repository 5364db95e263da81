// The greetings cubes, lit by light 0, into the four attachments of the
// scene target:
//   0  lit colour (ambient and diffuse light, the highlight's glow)
//   1  eye-space normal, 0.5 + 0.5 * n
//   2  linear depth (eye distance / far) packed into red (high) and green (low)
//   3  illumination terms: diffuse, specular, highlight
// Attachments 1 to 3 carry alpha 0 wherever a cube is; the clear leaves
// alpha 1 everywhere else, which is how the later passes tell the
// background apart.
#version 120

varying vec3 eyeNormal;
varying vec3 eyePosition;
varying vec4 vertexColor;

uniform float joreggelt;  // highlight strength of the selected row, 0 elsewhere
uniform vec3 color;       // the selected cube's own colour

const float farPlane = 800.0;
const vec3 amber = vec3(0.92, 0.52, 0.08);
const vec3 honey = vec3(1.0, 0.76, 0.3);
const vec3 skyCyan = vec3(0.42, 0.78, 0.95);
const vec3 groundWarm = vec3(0.42, 0.26, 0.12);
const vec3 glowCyan = vec3(0.45, 0.92, 1.0);

vec2 packDepth(float depth) {
  float scaled = clamp(depth, 0.0, 1.0) * 255.0;
  float high = floor(scaled);
  return vec2(high / 255.0, scaled - high);
}

void main() {
  vec3 normal = normalize(eyeNormal);
  vec3 toEye = normalize(-eyePosition);
  vec4 lightPosition = gl_LightSource[0].position;
  vec3 toLight = normalize(lightPosition.xyz - eyePosition * lightPosition.w);

  float diffuse = max(dot(normal, toLight), 0.0);
  float specular = 0.0;
  if (diffuse > 0.0) specular = pow(max(dot(normal, normalize(toLight + toEye)), 0.0), 48.0);

  // Cool light from above the picture, a warm bounce from below.
  vec3 ambient = mix(groundWarm, skyCyan, normal.y * 0.5 + 0.5) * 0.5;
  // Faces turned to the light go honey, the others deep amber.
  vec3 body = mix(amber, honey, diffuse);

  float highlight = clamp(joreggelt, 0.0, 1.0);
  vec3 glow = mix(glowCyan, color, 0.3);
  vec3 albedo = mix(body, glow, highlight * 0.7);
  vec3 lit = albedo * (ambient + 0.85 * diffuse) + glow * highlight * 0.45;

  gl_FragData[0] = vec4(lit, 1.0);
  gl_FragData[1] = vec4(normal * 0.5 + 0.5, 0.0);
  gl_FragData[2] = vec4(packDepth(-eyePosition.z / farPlane), 0.0, 0.0);
  gl_FragData[3] = vec4(diffuse, specular, highlight, 0.0);
}
