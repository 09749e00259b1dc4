#version 120
// Per-pixel lighting, vertex stage: one point light and the eye, both fixed in eye space.

varying vec3 normal;          // eye space, unit
varying vec3 lightDirection;  // unit, towards the light
varying float lightDistance;
varying vec3 halfVector;      // between the light and the eye
varying vec4 diffuseColour;

void main() {
  vec4 V = gl_ModelViewMatrix * gl_Vertex;
  normal = normalize(gl_NormalMatrix * gl_Normal);
  vec3 lightPosition = vec3(0.0, 15.0, 0.0);
  vec3 eyePosition = vec3(15.0, 0.0, 15.0);
  vec3 L = lightPosition - V.xyz;
  lightDistance = length(L);
  lightDirection = normalize(L);
  halfVector = normalize(L + (eyePosition - V.xyz));
  diffuseColour = gl_Color;
  gl_Position = ftransform();
}
