#version 330 core
// Copy of the light-view depth map into the colored shadow map, vertex stage: the shared
// full-screen quad.
//   in  location 0  position  vec3, normalised device coordinates (z = 0)
layout(location = 0) in vec3 position;

void main() {
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
