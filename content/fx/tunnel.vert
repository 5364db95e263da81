// The tunnel walls. A tunnel's texture coordinates carry the angle around
// its axis (s, radians) and its position along the axis divided by
// 50 / 2pi (t); the fragment stages get both back in world units.
#version 120

varying vec2 wall;         // (angle around the axis, position along it)
varying vec3 eyePosition;  // the wall point in eye space

void main() {
  wall = vec2(gl_MultiTexCoord0.s, gl_MultiTexCoord0.t * 7.957747);
  vec4 eye = gl_ModelViewMatrix * gl_Vertex;
  eyePosition = eye.xyz;
  gl_FrontColor = gl_Color;
  gl_Position = ftransform();
}
