#version 330 core
// Light-view depth map, vertex stage: projects opaque geometry into the shadow light's clip space.
//   in  location 0  position                   vec3, object space
//   uniform         modelViewProjectionMatrix  mat4, object -> shadow-light clip space
//   out viewDepth                              float, linear depth along the light's view axis
//                                              (clip w of a perspective projection), world units
layout(location = 0) in vec3 position;

uniform mat4 modelViewProjectionMatrix;

out float viewDepth;

void main() {
    gl_Position = modelViewProjectionMatrix * vec4(position, 1.0);
    viewDepth = gl_Position.w;
}
