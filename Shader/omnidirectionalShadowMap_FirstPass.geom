#version 330 core
// Cube shadow map, geometry stage: emits each world-space triangle once per cube face whose
// frustum it can touch (gl_Layer = face, +X, -X, +Y, -Y, +Z, -Z). A triangle whose three
// clip-space corners all lie outside the same plane of a face frustum would be clipped away
// entirely there, so skipping that face saves the work and leaves the picture identical.
//   in  gl_in[].gl_Position          world-space corners from the vertex stage
//   uniform cm_matrices[6]           mat4, world -> clip space of each face (face order)
//   out gl_Position                  clip space of face gl_Layer
//   out gl_Layer                     the cube face written
//   out worldPosition                vec3, world-space position for the fragment stage
layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 cm_matrices[6];

out vec3 worldPosition;

// True when all three corners lie on the outer side of one of the six frustum planes.
bool outsideFrustum(vec4 a, vec4 b, vec4 c) {
    if (a.x > a.w && b.x > b.w && c.x > c.w) return true;
    if (a.x < -a.w && b.x < -b.w && c.x < -c.w) return true;
    if (a.y > a.w && b.y > b.w && c.y > c.w) return true;
    if (a.y < -a.w && b.y < -b.w && c.y < -c.w) return true;
    if (a.z > a.w && b.z > b.w && c.z > c.w) return true;
    if (a.z < -a.w && b.z < -b.w && c.z < -c.w) return true;
    return false;
}

void main() {
    for (int face = 0; face < 6; ++face) {
        vec4 clip0 = cm_matrices[face] * gl_in[0].gl_Position;
        vec4 clip1 = cm_matrices[face] * gl_in[1].gl_Position;
        vec4 clip2 = cm_matrices[face] * gl_in[2].gl_Position;
        if (outsideFrustum(clip0, clip1, clip2)) {
            continue;
        }
        gl_Layer = face;
        worldPosition = gl_in[0].gl_Position.xyz;
        gl_Position = clip0;
        EmitVertex();
        gl_Layer = face;
        worldPosition = gl_in[1].gl_Position.xyz;
        gl_Position = clip1;
        EmitVertex();
        gl_Layer = face;
        worldPosition = gl_in[2].gl_Position.xyz;
        gl_Position = clip2;
        EmitVertex();
        EndPrimitive();
    }
}
