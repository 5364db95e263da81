// The star sky of the title scene. It goes to draw buffer 1, which the
// composite reads as the sky, and clears draw buffer 0 to transparent black
// for the particles drawn next.
#version 120

uniform sampler2D tex0;

void main() {
  vec3 stars = texture2D(tex0, gl_TexCoord[0].st).rgb;
  // The faint nebula does not continue across the cube's edges, so it is
  // kept low and fades out towards each face's border; the stars stay.
  float light = max(stars.r, max(stars.g, stars.b));
  vec2 uv = gl_TexCoord[0].st;
  float border = min(min(uv.x, 1.0 - uv.x), min(uv.y, 1.0 - uv.y));
  float nebula = mix(0.12, 0.55, smoothstep(0.0, 0.25, border));
  float star = smoothstep(0.25, 0.6, light);
  vec3 tint = mix(vec3(0.85, 0.95, 1.2), vec3(1.15, 1.05, 0.9), star);
  vec3 sky = stars * tint * mix(nebula, 1.0, star);
  gl_FragData[0] = vec4(0.0);
  gl_FragData[1] = vec4(sky, 1.0);
}
