// Per-pixel lighting by OpenGL light 0 (a point light) with the current
// material, over the texture on unit 0.
#version 120

uniform sampler2D tex0;

varying vec3 eyeNormal;
varying vec3 eyePosition;
varying vec4 vertexColor;

void main() {
  vec3 normal = normalize(eyeNormal);
  vec3 toLight = gl_LightSource[0].position.xyz - eyePosition * gl_LightSource[0].position.w;
  float lightDistance = length(toLight);
  toLight /= max(lightDistance, 1e-4);
  float attenuation = 1.0 / (gl_LightSource[0].constantAttenuation +
                             gl_LightSource[0].linearAttenuation * lightDistance +
                             gl_LightSource[0].quadraticAttenuation * lightDistance * lightDistance);
  float diffuse = max(dot(normal, toLight), 0.0);
  vec3 toEye = normalize(-eyePosition);
  vec3 halfway = normalize(toLight + toEye);
  float specular = diffuse > 0.0 ? pow(max(dot(normal, halfway), 0.0), max(gl_FrontMaterial.shininess, 1.0)) : 0.0;
  vec4 texel = texture2D(tex0, gl_TexCoord[0].st);
  vec3 colour = gl_FrontMaterial.emission.rgb +
                gl_FrontMaterial.ambient.rgb * (gl_LightModel.ambient.rgb + gl_LightSource[0].ambient.rgb) +
                attenuation * (gl_FrontMaterial.diffuse.rgb * gl_LightSource[0].diffuse.rgb * diffuse);
  colour = colour * texel.rgb * vertexColor.rgb +
           attenuation * gl_FrontMaterial.specular.rgb * gl_LightSource[0].specular.rgb * specular;
  gl_FragColor = vec4(colour, gl_FrontMaterial.diffuse.a * texel.a * vertexColor.a);
}
