// The inner tunnel (radius 25) around the camera: a fine cyan lattice that
// leaves the outer tunnels in view; its lines thicken and whiten on the
// kick.
#version 120

uniform float forgas;  // turn of the walls, degrees
uniform float fade;    // the kick's pulse
uniform float time;

varying vec2 wall;
varying vec3 eyePosition;

const float TAU = 6.2831853;

// 1 on a grid line of the given period, 0 between, antialiased.
float gridLine(float coordinate, float period, float halfWidth) {
  float cell = coordinate / period;
  float distanceToLine = abs(fract(cell + 0.5) - 0.5) * period;
  float blur = fwidth(coordinate) * 1.2;
  return 1.0 - smoothstep(halfWidth, halfWidth + blur, distanceToLine);
}

void main() {
  float angle = wall.x + radians(forgas) * 0.25;
  float around = angle * 25.0;  // arc length on the wall
  float along = wall.y;
  float period = TAU * 25.0 / 16.0;
  float halfWidth = 0.12 + 0.22 * fade;
  float lines = max(gridLine(around, period, halfWidth), gridLine(along + time * 8.0, period * 2.0, halfWidth));
  vec3 cyan = vec3(0.0, 0.8, 1.0);
  vec3 colour = mix(cyan, vec3(0.55, 0.88, 0.98), fade);
  float distance = length(eyePosition);
  float alpha = lines * (0.5 + 0.3 * fade) * (1.0 - smoothstep(60.0, 260.0, distance));
  gl_FragColor = vec4(colour, alpha);
}
