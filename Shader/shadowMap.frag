#version 330 core
// Light-view depth map, fragment stage: linear depth only (the target has no colour buffer), so
// the 16-bit map has one even step size (far / 65535) over the whole range instead of a
// perspective depth that crowds against 1. The material uniforms a mesh draw sends are not
// declared here, so they are ignored.
//   in  viewDepth              float, linear depth along the light's view axis, world units
//   uniform lightFarPlane      float, far plane of the light view
//   out gl_FragDepth           viewDepth / lightFarPlane
in float viewDepth;

uniform float lightFarPlane;

void main() {
    gl_FragDepth = viewDepth / lightFarPlane;
}
