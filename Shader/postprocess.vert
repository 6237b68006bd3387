#version 330 core
// Full-screen vertex stage shared by the post-processing programs ("bloom", "gaussBlur",
// "ssao", "avgBlur", "lightShaft", "debugView", "fxaa").
// in  location 0 position: corner of the shared screen quad in normalised device coordinates
//     (x, y in -1..1, z = 0), drawn unchanged
// out texCoord: texture coordinate of the corner, 0..1 with (0, 0) at the bottom left
layout(location = 0) in vec3 position;

out vec2 texCoord;

void main() {
    texCoord = position.xy * 0.5 + 0.5;
    gl_Position = vec4(position, 1.0);
}
