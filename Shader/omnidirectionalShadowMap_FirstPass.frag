#version 330 core
// Cube shadow map, fragment stage. Convention shared with the lighting program: each cube texel
// holds the distance from the light to the nearest opaque surface in that direction divided by
// "far" (linear in distance, so the 16-bit depth has the same resolution near and far: 30 / 65535
// world units). The lighting program compares distance(point, light) / near_far.y against it.
//   in  worldPosition   vec3, world space
//   uniform lightPosition  vec3, world-space light position
//   uniform near, far      float, depth range of the cube faces (far scales the stored distance)
//   out gl_FragDepth    distance / far, clamped to [0, 1] by the depth buffer
in vec3 worldPosition;

uniform vec3 lightPosition;
uniform float near;
uniform float far;

void main() {
    gl_FragDepth = clamp(distance(worldPosition, lightPosition) / far, 0.0, 1.0);
}
