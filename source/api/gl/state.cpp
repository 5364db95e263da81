#include "api/gl/state.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/out_of_memory.h"
#include "engine/errors.h"

namespace gfx {

void enableCapability(GLenum capability) {
  if (!glIsEnabled(capability)) glEnable(capability);
}

void disableCapability(GLenum capability) {
  if (glIsEnabled(capability)) glDisable(capability);
}

namespace {

void activeUnit(int unit) {
  ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
}

}  // namespace

void resetState() {
  static const GLenum capabilities[] = {
      GL_ALPHA_TEST,     GL_AUTO_NORMAL,   GL_BLEND,          GL_COLOR_MATERIAL,
      GL_CULL_FACE,      GL_DEPTH_TEST,    GL_DITHER,         GL_FOG,
      GL_LIGHTING,       GL_MULTISAMPLE,   GL_NORMALIZE,      GL_POINT_SMOOTH,
      GL_TEXTURE_1D,     GL_TEXTURE_2D,    GL_TEXTURE_3D,     GL_TEXTURE_CUBE_MAP,
      GL_TEXTURE_GEN_R,  GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T};
  for (GLenum capability : capabilities) disableCapability(capability);
  // The colour table belongs to the imaging subset; asking a driver without
  // it would only raise GL_INVALID_ENUM.
  if (hasExtension("GL_ARB_imaging")) disableCapability(GL_COLOR_TABLE);
  for (int light = 0; light < maxLights; ++light) {
    disableCapability(GL_LIGHT0 + static_cast<GLenum>(light));
  }

  glColor4f(1, 1, 1, 1);
  const float white[] = {1, 1, 1, 1};
  const float black[] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);

  for (int unit = 0; unit < maxTextureUnits; ++unit) {
    activeUnit(unit);
    glBindTexture(GL_TEXTURE_2D, unit == 0 ? defaultTexture : 0);
  }
}

void depthDefaults() {
  glClearDepth(1);
  glClear(GL_DEPTH_BUFFER_BIT);
  glDepthFunc(GL_LEQUAL);
  glDepthRange(0, 1);
  enableCapability(GL_DEPTH_TEST);
}

bool initialState() {
  resetState();
  depthDefaults();
  glShadeModel(GL_SMOOTH);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  enableCapability(GL_CULL_FACE);
  if (samples > 1 && multisampleSupported) enableCapability(GL_MULTISAMPLE);
  frameCount = 0;
  return true;
}

bool enableTexturing() {
  for (int unit = 0; unit < maxTextureUnits; ++unit) {
    activeUnit(unit);
    enableCapability(GL_TEXTURE_2D);
  }
  enableCapability(GL_TEXTURE_2D);
  return true;
}

void clearScreen(float red, float green, float blue) {
  if (samples > 1 && multisampleSupported) enableCapability(GL_MULTISAMPLE);
  const GLbitfield everything = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
  if (!letterbox) {
    glClearColor(red, green, blue, 1);
    glClear(everything);
    return;
  }

  glClearColor(0, 0, 0, 1);
  glClear(everything);
  glPushAttrib(attribMask2D);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(viewportX, viewportY, viewportWidth, viewportHeight);
  glOrtho(0, 1, 1, 0, -1, 1);
  resetState();
  glDepthMask(GL_FALSE);
  if (ext::glUseProgram != nullptr) ext::glUseProgram(0);
  glColor4f(red, green, blue, 1);
  glBegin(GL_QUADS);
  glVertex2f(0, 1);
  glVertex2f(0, 0);
  glVertex2f(1, 0);
  glVertex2f(1, 1);
  glEnd();
  glDepthMask(GL_TRUE);
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glGetError();
  glPopAttrib();
}

void createDefaultTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  defaultTexture = name;
  if (name == 0) return;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, 0);
  glGetError();
  unsigned char white[8 * 8 * 3];
  for (unsigned char& byte : white) byte = 255;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 8, 8, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
  glBindTexture(GL_TEXTURE_2D, 0);
}

GLenum formatFromCode(int32_t code) {
  switch (code) {
    case 1: return GL_RGBA;
    case 2: return GL_LUMINANCE;
    case 3: return GL_LUMINANCE_ALPHA;
    case 4: return GL_COLOR_INDEX;
    case 5: return GL_RED;
    case 6: return GL_GREEN;
    case 7: return GL_BLUE;
    case 8: return GL_ALPHA;
    case 9: return GL_BGR;
    case 10: return GL_BGRA;
    case 11: return GL_DEPTH_COMPONENT;
    default: return GL_RGB;
  }
}

GLenum filterFromCode(int32_t code) {
  switch (code) {
    case FWrender::filterLinear: return GL_LINEAR;
    case FWrender::filterNearestMipmapNearest: return GL_NEAREST_MIPMAP_NEAREST;
    case FWrender::filterNearestMipmapLinear: return GL_NEAREST_MIPMAP_LINEAR;
    case FWrender::filterLinearMipmapNearest: return GL_LINEAR_MIPMAP_NEAREST;
    case FWrender::filterLinearMipmapLinear: return GL_LINEAR_MIPMAP_LINEAR;
    default: return GL_NEAREST;
  }
}

GLenum wrapFromCode(int32_t code) {
  switch (code) {
    case FWrender::wrapClampToEdge: return GL_CLAMP_TO_EDGE;
    case FWrender::wrapRepeat: return GL_REPEAT;
    case FWrender::wrapClampToBorder: return GL_CLAMP_TO_BORDER;
    case FWrender::wrapMirroredRepeat: return GL_MIRRORED_REPEAT;
    default: return GL_CLAMP;
  }
}

namespace {

GLenum formatForParams(const FWrender::TextureParams& params) {
  if (params.format != 0) return formatFromCode(params.format);
  switch (params.channels) {
    case 1: return params.depth ? GL_DEPTH_COMPONENT : GL_LUMINANCE;
    case 2: return GL_LUMINANCE_ALPHA;
    case 4: return GL_RGBA;
    default: return GL_RGB;
  }
}

GLenum typeFromCode(int32_t code) {
  switch (code) {
    case 3: return GL_UNSIGNED_SHORT;
    case 5: return GL_UNSIGNED_INT;
    case 6: return GL_FLOAT;
    default: return GL_UNSIGNED_BYTE;
  }
}

}  // namespace

GLuint createTexture(const FWrender::TextureParams& params, const void* pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  if (name == 0) return 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                  static_cast<GLint>(filterFromCode(params.magFilter)));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  static_cast<GLint>(filterFromCode(params.minFilter)));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, static_cast<GLint>(wrapFromCode(params.wrapR)));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapFromCode(params.wrapS)));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapFromCode(params.wrapT)));
  const GLenum format = formatForParams(params);
  glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, params.generateMipmap ? GL_TRUE : GL_FALSE);
  glGetError();
  // Rows of bitmaps are packed without padding.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), params.width, params.height, 0, format,
               typeFromCode(params.dataType), pixels);
  glBindTexture(GL_TEXTURE_2D, 0);
  // No memory for the storage: the texture would draw as nothing.
  try {
    throwIfOutOfMemory();
  } catch (int) {
    glDeleteTextures(1, &name);
    throw;
  }
  return name;
}

void throwIfOutOfMemory() {
  bool outOfMemory = false;
  // A context keeps one flag per kind of error; a lost context reports the
  // same one for ever, so the reads are bounded.
  for (int reads = 0; reads < 16; ++reads) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) break;
    outOfMemory = outOfMemory || error == GL_OUT_OF_MEMORY;
  }
  if (outOfMemory) throw errorCode::outOfMemory;
}

void setLight(const float* position, int lightIndex, const float* diffuse, const float* ambient,
              const float* specular) {
  const GLenum light = GL_LIGHT0 + static_cast<GLenum>(lightIndex);
  if (position != nullptr) glLightfv(light, GL_POSITION, position);
  if (diffuse != nullptr) glLightfv(light, GL_DIFFUSE, diffuse);
  if (ambient != nullptr) glLightfv(light, GL_AMBIENT, ambient);
  if (specular != nullptr) glLightfv(light, GL_SPECULAR, specular);
}

void setSpotLight(const float* position, int lightIndex, const float* diffuse,
                  const float* ambient, const float* specular, const float* direction,
                  float cutoff) {
  setLight(position, lightIndex, diffuse, ambient, specular);
  const GLenum light = GL_LIGHT0 + static_cast<GLenum>(lightIndex);
  if (direction != nullptr) glLightfv(light, GL_SPOT_DIRECTION, direction);
  glLightf(light, GL_SPOT_CUTOFF, cutoff);
}

void setMaterial(const float* diffuse, const float* specular, const float* ambient,
                 const float* emission, float shininess) {
  if (diffuse != nullptr) glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
  if (ambient != nullptr) glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
  if (specular != nullptr) glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  if (emission != nullptr) glMaterialfv(GL_FRONT, GL_EMISSION, emission);
  glMaterialf(GL_FRONT, GL_SHININESS, shininess);
}

void begin2D() {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glPushAttrib(attribMask2D);
  resetState();
  glDepthMask(GL_FALSE);
  enableTexturing();
  enableCapability(GL_BLEND);
}

void end2D() {
  glDepthMask(GL_FALSE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  perspective(showNearPlane, showFarPlane);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glPopAttrib();
  disableCapability(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

}  // namespace gfx
