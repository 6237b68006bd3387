#version 330 core
// Cube shadow map, fragment stage. Convention shared with the lighting program: each cube texel
// holds the hardware window depth of the face's own projection (near and far from "near" and
// "far", the lighting program gets them as lights[i].near_far), so the depth of the nearest
// opaque surface along the face axis. Nothing is written here: without gl_FragDepth the
// rasterizer keeps its early depth test and covered texels behind a nearer surface cost nothing.
//   (no inputs, no uniforms, no colour outputs; the depth attachment takes gl_FragCoord.z)
void main() {
}
