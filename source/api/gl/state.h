#pragma once

#include "api/gl/gl.h"
#include "api/render/texture_params.h"

// Fixed-function state helpers. Every capability change first asks
// glIsEnabled, so redundant changes never reach the driver. All need a
// current context and the extension entry points (loadExtensions).

namespace gfx {

// Attribute bits pushed by every 2D bracket.
constexpr GLbitfield attribMask2D = GL_POLYGON_BIT | GL_PIXEL_MODE_BIT | GL_LIGHTING_BIT |
                                    GL_FOG_BIT | GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT |
                                    GL_TRANSFORM_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT |
                                    GL_TEXTURE_BIT | GL_MULTISAMPLE_BIT;

// Enable or disable `capability` only when it is not already so.
void enableCapability(GLenum capability);
void disableCapability(GLenum capability);

// The baseline for 2D drawing and effects: blending, lighting, depth test,
// culling, texturing and friends off, white colour and material, the default
// texture on unit 0 and none on the others. Leaves the last unit active.
void resetState();

// Depth clear value 1, depth buffer cleared, LEQUAL, range 0..1, test on.
void depthDefaults();

// The state at the end of graphics initialisation; resets frameCount.
bool initialState();

// GL_TEXTURE_2D on every unit. Leaves the last unit active.
bool enableTexturing();

// Clears the window; with letterbox the bars stay black and only the
// picture area takes the colour.
void clearScreen(float red, float green, float blue);

// Makes the 8x8 white default texture.
void createDefaultTexture();

// Texture format for an explicit format code (1 RGBA ... 11 depth; else RGB).
GLenum formatFromCode(int32_t code);
GLenum filterFromCode(int32_t code);
GLenum wrapFromCode(int32_t code);

// A new GL texture as `params` describes it, filled from `pixels` (may be
// null). Returns the name, or 0 when no name could be had. Unbinds. Throws
// code 2 when the driver has no memory for its storage.
GLuint createTexture(const FWrender::TextureParams& params, const void* pixels);

// Light and material parameters; null arguments are left as they are.
void setLight(const float* position, int lightIndex, const float* diffuse, const float* ambient,
              const float* specular);
void setSpotLight(const float* position, int lightIndex, const float* diffuse,
                  const float* ambient, const float* specular, const float* direction,
                  float cutoff);
void setMaterial(const float* diffuse, const float* specular, const float* ambient,
                 const float* emission, float shininess);

// Opens a 2D bracket: both matrices and attribMask2D pushed, resetState,
// depth writes off, texturing and blending on. The caller sets up its
// orthographic projection next. Must be closed with end2D.
void begin2D();
// Closes the bracket and restores the 3D projection.
void end2D();

}  // namespace gfx
