#version 330 core
// Fire billboard, vertex stage.
// in  location 0  position: quad corner in model space, x and y in [-0.5, 0.5], z = 0
// uniform mat4    modelViewProjectionMatrix: model space to clip space
// out vec2        texCoord: [0,1]^2 across the quad, v = 0 at the bottom edge (the animation
//                 pages are uploaded bottom row first, so v = 0 is the image's bottom row)
layout(location = 0) in vec3 position;

uniform mat4 modelViewProjectionMatrix;

out vec2 texCoord;

void main() {
    texCoord = position.xy + vec2(0.5);
    gl_Position = modelViewProjectionMatrix * vec4(position, 1.0);
}
