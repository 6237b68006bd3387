#version 330 core
// Cube shadow map, fragment stage. Convention shared with the lighting program: each cube texel
// holds the distance from the light to the nearest opaque surface in that direction divided by
// "far" (linear in distance, so the 16-bit depth has the same resolution near and far: 30 / 65535
// world units). The lighting program compares distance(point, light) / near_far.y against it.
// Writing the depth turns off the early depth test, so this stage runs for every covered texel
// of every face: it is kept to one length and one multiply. The fixed-point depth buffer clamps
// the value to [0, 1] itself.
//   in  worldPosition   vec3, world space
//   uniform lightPosition  vec3, world-space light position
//   uniform near, far      float, depth range of the cube faces (far scales the stored distance)
//   out gl_FragDepth    distance / far
in vec3 worldPosition;

uniform vec3 lightPosition;
uniform float near;
uniform float far;

void main() {
    gl_FragDepth = length(worldPosition - lightPosition) * (1.0 / far);
}
