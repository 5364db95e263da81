// The title scene's composite: the particles (draw buffer 0, colour
// accumulated over transparent black) over the star sky (draw buffer 1),
// with a bloom taken from the particles' coarser mipmap levels.
#version 120
// The overlay maps the picture's pixels onto texels one to one, so the
// mipmap level a bias selects is the bias itself; naming it outright spares
// software GL a level computation per pixel (see blur2.frag).
#extension GL_ARB_shader_texture_lod : enable
#ifdef GL_ARB_shader_texture_lod
#define sampleLevel(sampler, uv, level) texture2DLod(sampler, uv, level)
#else
#define sampleLevel(sampler, uv, level) texture2D(sampler, uv, level)
#endif

uniform sampler2D tex0;    // the particle layer
uniform sampler2D skybox;  // the star sky

void main() {
  vec2 uv = gl_TexCoord[0].st;
  vec4 particles = sampleLevel(tex0, uv, 0.0);
  vec3 sky = texture2D(skybox, uv).rgb;
  // Level 5 is the coarsest that the scene target regenerates
  // (post_processing.cpp).
  vec3 bloom = sampleLevel(tex0, uv, 2.0).rgb * 0.35 +
               sampleLevel(tex0, uv, 3.5).rgb * 0.45 +
               sampleLevel(tex0, uv, 5.0).rgb * 0.6;
  vec3 colour = sky * (1.0 - particles.a) + particles.rgb + bloom;
  // Soft highlights instead of clipping where many sparks overlap.
  colour = colour / (1.0 + max(colour - 1.0, 0.0));
  gl_FragColor = vec4(colour, 1.0);
}
