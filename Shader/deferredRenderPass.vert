#version 330 core
// Lighting pass, vertex stage: the shared full-screen quad; the texture coordinate of the
// G-buffer texel under each fragment follows from the corner position.
//   in  location 0  position  vec3, normalised device coordinates (z = 0)
//   out screenUV              vec2, 0..1 across the target
layout(location = 0) in vec3 position;

out vec2 screenUV;

void main() {
    screenUV = position.xy * 0.5 + 0.5;
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
