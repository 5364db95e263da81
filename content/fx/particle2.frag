// The tunnel's dots: the grey bokeh sprite gives both brightness and
// coverage; near dots are honey, far ones cyan, and they dissolve into the
// distance.
#version 120

uniform sampler2D tex0;

varying vec3 eyePosition;
varying vec4 vertexColor;

void main() {
  vec3 texel = texture2D(tex0, gl_TexCoord[0].st).rgb;
  float glow = max(texel.r, max(texel.g, texel.b));
  float ahead = max(-eyePosition.z, 0.0);
  vec3 tint = mix(vec3(1.0, 0.88, 0.45), vec3(0.55, 0.88, 0.98), smoothstep(40.0, 260.0, ahead));
  float alpha = min(1.0, glow * 1.6) * vertexColor.a * (1.0 - smoothstep(300.0, 560.0, ahead));
  gl_FragColor = vec4(tint * vertexColor.rgb * (0.7 + glow), alpha);
}
