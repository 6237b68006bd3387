#version 330 core
// Placeholder stage: writes opaque white.
layout(location = 0) out vec4 fragColor;
void main() {
    fragColor = vec4(1.0);
}
