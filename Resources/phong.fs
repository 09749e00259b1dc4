#version 120
// Per-pixel lighting, fragment stage: diffuse and specular terms, each switchable, and one
// alpha for the whole draw. Colours may pass 1.0: the high-dynamic-range frame keeps them.

uniform bool UseSpec;
uniform bool UseDiffuse;
uniform float Alpha;
uniform float Attenuation;   // not applied
uniform float Exponent;
uniform float Specularity;

varying vec3 normal;
varying vec3 lightDirection;
varying float lightDistance;
varying vec3 halfVector;
varying vec4 diffuseColour;

void main() {
  vec4 colour = vec4(0.0);
  vec3 N = normalize(normal);
  float NdotL = max(dot(N, lightDirection), 0.0);
  if (NdotL > 0.0) {
    if (UseDiffuse)
      colour += 1.1 * diffuseColour * NdotL;
    if (UseSpec)
      colour += 1.1 * Specularity * pow(max(dot(N, normalize(halfVector)), 0.0), Exponent);
  }
  gl_FragColor = vec4(colour.rgb, Alpha);
}
