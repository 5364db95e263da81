// The outer tunnel (radius 100): a deep teal sea with slow honey swells,
// turning against the inner tunnels, brightening on the kick and thinning
// into the distance so the particles beyond show through.
#version 120

uniform float forgas;  // turn of the walls, degrees
uniform float fade;    // the kick's pulse, 1 on the beat falling to 0
uniform float time;    // music time, seconds

varying vec2 wall;
varying vec3 eyePosition;

const float TAU = 6.2831853;

void main() {
  float angle = wall.x - radians(forgas) * 0.5;
  float along = wall.y;
  float swell = 0.5 + 0.5 * sin(angle * 3.0 + along * 0.021 + time * 0.4);
  float ripple = 0.5 + 0.5 * sin(angle * 7.0 - along * 0.047 - time * 0.9);
  float cloud = swell * 0.65 + ripple * 0.35;
  vec3 deep = vec3(0.0, 0.09, 0.13);
  vec3 teal = vec3(0.02, 0.42, 0.52);
  vec3 honey = vec3(1.0, 0.72, 0.25);
  vec3 colour = mix(deep, teal, cloud * cloud);
  // Rings of honey light travelling along the tube.
  float ring = pow(0.5 + 0.5 * cos(along * TAU / 60.0 - time * 3.0), 24.0);
  colour += honey * ring * (0.3 + 0.3 * fade);
  colour *= 1.0 + 0.2 * fade;
  float distance = length(eyePosition);
  float alpha = 0.88 * (1.0 - smoothstep(180.0, 560.0, distance));
  gl_FragColor = vec4(colour, alpha);
}
