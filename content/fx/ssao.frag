// Ambient occlusion from the scene target's normals and depth: for every
// pixel, 32 kernel points in the hemisphere above the surface (turned by the
// rotation noise) are projected back onto the depth attachment; each one
// that lies behind the scene's surface, within range, occludes. Writes the
// remaining ambient visibility (1 = open, 0 = buried) to both attachments.
#version 120

uniform sampler2D normalTex;  // 0.5 + 0.5 * eye-space normal; alpha 1 off the geometry
uniform sampler2D depthTex;   // eye distance / far, packed high/low in red/green
uniform sampler2D noiseTex;   // random bytes, repeated every noiseSize pixels
uniform float radius;         // kernel radius in eye units
uniform float radius2;        // depth range (as a fraction of far) an occluder counts within
uniform vec3 kernel[32];      // unit vectors, z >= 0
uniform float noiseSize;
uniform float near;
uniform float far;
uniform float fov;            // vertical, radians
uniform float aspectRatio;
uniform mat4 projectionMatrix;
uniform vec2 resolution;      // viewport size in pixels

varying vec2 screenPosition;

uniform vec2 targetSize;     // width and height of the scene target in texels
const float background = 2.0;

// The packed depth must not be filtered: its texture samples the nearest
// texel of one level (post_processing.cpp), so a tap reads the whole texel
// it falls in without rounding its coordinates here.
float depthAt(vec2 uv) {
  vec4 texel = texture2D(depthTex, uv);
  if (texel.a > 0.5) return background;
  return (texel.r * 255.0 + texel.g) / 255.0;
}

void main() {
  vec2 uv = gl_TexCoord[0].st;
  float depth = depthAt(uv);
  if (depth > 1.5) {
    gl_FragData[0] = vec4(1.0);
    gl_FragData[1] = vec4(1.0);
    return;
  }

  vec3 normal = normalize(texture2D(normalTex, uv, -16.0).xyz * 2.0 - 1.0);
  float eyeDistance = depth * far;
  float halfHeight = tan(fov * 0.5);
  vec3 position = vec3(screenPosition.x * halfHeight * aspectRatio * eyeDistance,
                       screenPosition.y * halfHeight * eyeDistance, -eyeDistance);

  // A random turn about the normal, repeating every noiseSize pixels.
  vec3 turn = texture2D(noiseTex, gl_FragCoord.xy / noiseSize).xyz * 2.0 - 1.0;
  vec3 tangent = turn - normal * dot(turn, normal);
  if (dot(tangent, tangent) < 1e-4) {
    tangent = abs(normal.x) < 0.9 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 1.0, 0.0);
    tangent -= normal * dot(tangent, normal);
  }
  tangent = normalize(tangent);
  mat3 basis = mat3(tangent, cross(normal, tangent), normal);

  vec2 uvPerScreen = 0.5 * resolution / targetSize;
  float range = max(radius2, 1e-6);
  float surfaceBias = 0.05 / far;
  float occlusion = 0.0;
  for (int i = 0; i < 32; ++i) {
    // Most points close to the surface, a few out at the full radius.
    float reach = float(i + 1) / 32.0;
    reach = mix(0.15, 1.0, reach * reach);
    vec3 point = position + basis * kernel[i] * (radius * reach);
    vec4 clip = projectionMatrix * vec4(point, 1.0);
    if (clip.w < near) continue;
    vec2 pointUv = uv + (clip.xy / clip.w - screenPosition) * uvPerScreen;
    float sceneDepth = depthAt(pointUv);
    float inFront = -point.z / far - sceneDepth;
    if (inFront > surfaceBias) {
      // Full weight up to the range, none beyond twice the range: a cube
      // far in front of this one casts nothing here.
      occlusion += clamp(2.0 - inFront / range, 0.0, 1.0);
    }
  }
  float visibility = 1.0 - occlusion / 32.0;
  gl_FragData[0] = vec4(vec3(visibility), 1.0);
  gl_FragData[1] = vec4(vec3(visibility), 1.0);
}
