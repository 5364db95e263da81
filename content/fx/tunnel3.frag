// The middle tunnel (radius 75): amber and honey helical bands with open
// gaps between them, turning with the walls; the bands flare on the kick.
#version 120

uniform float forgas;  // turn of the walls, degrees
uniform float fade;    // the kick's pulse
uniform float time;

varying vec2 wall;
varying vec3 eyePosition;

const float TAU = 6.2831853;

void main() {
  float angle = wall.x + radians(forgas);
  float along = wall.y;
  // Six bands winding once around the tube every 960 units.
  float turns = angle * 6.0 / TAU + along / 160.0;
  float fromCentre = abs(fract(turns) - 0.5);  // 0 in a band, 0.5 mid-gap
  float width = 0.11 + 0.04 * fade;
  float band = 1.0 - smoothstep(width, width + fwidth(turns) * 1.5, fromCentre);
  vec3 amber = vec3(1.0, 0.62, 0.08);
  vec3 honey = vec3(1.0, 0.88, 0.45);
  float glint = 0.5 + 0.5 * sin(along * 0.08 - time * 2.0);
  vec3 colour = mix(amber, honey, glint) * (0.75 + 0.25 * fade);
  float distance = length(eyePosition);
  float alpha = band * 0.62 * (1.0 - smoothstep(150.0, 520.0, distance));
  gl_FragColor = vec4(colour, alpha);
}
