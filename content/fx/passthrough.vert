// The vertex stage of full-screen passes: a screen quad's corners and its
// texture coordinates (unit 0), untouched.
#version 120

varying vec2 screenPosition;  // normalised device coordinates, -1 .. 1 across the viewport

void main() {
  gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
  gl_FrontColor = gl_Color;
  gl_Position = ftransform();
  screenPosition = gl_Position.xy / gl_Position.w;
}
