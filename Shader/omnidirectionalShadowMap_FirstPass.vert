#version 330 core
// Cube shadow map, vertex stage: object space to world space only; the geometry stage projects
// each triangle into the six faces of the light's cube.
//   in  location 0  position     vec3, object space
//   uniform         modelMatrix  mat4, object -> world
//   out gl_Position              vec4, WORLD-space position (w = 1), read by the geometry stage
layout(location = 0) in vec3 position;

uniform mat4 modelMatrix;

void main() {
    gl_Position = modelMatrix * vec4(position, 1.0);
}
