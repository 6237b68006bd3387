#version 330 core
// Light-view depth map, fragment stage: depth only (the target has no colour buffer). The
// material uniforms a mesh draw sends are not declared here, so they are ignored.
//   out gl_FragDepth  the fixed-function window depth of the shadow light's perspective
void main() {
}
