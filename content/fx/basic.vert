// The vertex stage shared by lit geometry, particles and screen quads: the
// fixed-function transform, plus what the fragment stages need in eye space.
#version 120

varying vec3 eyeNormal;    // unit normal in eye space
varying vec3 eyePosition;  // position in eye space
varying vec4 vertexColor;  // the current colour (glColor), alpha included

void main() {
  vec4 eye = gl_ModelViewMatrix * gl_Vertex;
  eyePosition = eye.xyz;
  eyeNormal = normalize(gl_NormalMatrix * gl_Normal);
  vertexColor = gl_Color;
  gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
  gl_TexCoord[1] = gl_TextureMatrix[1] * gl_MultiTexCoord1;
  gl_FrontColor = gl_Color;
  gl_Position = ftransform();
}
