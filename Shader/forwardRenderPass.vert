#version 330 core
// Forward pass for the transparent windows, vertex stage.
//   in  location 0  position                   vec3, object space
//   in  location 2  uv                         vec2, material texture coordinate
//   uniform         modelViewProjectionMatrix  mat4, object -> camera clip space
//   out texCoord                               vec2, passed through
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 uv;

uniform mat4 modelViewProjectionMatrix;

out vec2 texCoord;

void main() {
    texCoord = uv;
    gl_Position = modelViewProjectionMatrix * vec4(position, 1.0);
}
