#version 330 core
// Colored shadow map, vertex stage: projects the windows into the shadow light's clip space.
//   in  location 0  position                   vec3, object space
//   in  location 2  uv                         vec2, texture coordinate of the material
//   uniform         modelViewProjectionMatrix  mat4, object -> shadow-light clip space
//   out texCoord                               vec2, passed through
//   out viewDepth                              float, linear depth along the light's view axis
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 uv;

uniform mat4 modelViewProjectionMatrix;

out vec2 texCoord;
out float viewDepth;

void main() {
    texCoord = uv;
    gl_Position = modelViewProjectionMatrix * vec4(position, 1.0);
    viewDepth = gl_Position.w;
}
