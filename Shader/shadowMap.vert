#version 330 core
// Light-view depth map, vertex stage: projects opaque geometry into the shadow light's clip space.
//   in  location 0  position                   vec3, object space
//   uniform         modelViewProjectionMatrix  mat4, object -> shadow-light clip space
layout(location = 0) in vec3 position;

uniform mat4 modelViewProjectionMatrix;

void main() {
    gl_Position = modelViewProjectionMatrix * vec4(position, 1.0);
}
