#version 330 core
// Cube shadow map, geometry stage: emits each world-space triangle once per cube face whose
// frustum it can touch, among the faces faceMask asks for (gl_Layer = face, +X, -X, +Y, -Y, +Z,
// -Z).
// All six faces share the light as their eye, so a triangle that faces away from the light is
// back-facing in every face and the rasterizer would cull it six times over: it is dropped
// before any face is tried. The face tests run on the light-relative corners v = p - light with
// plane tests (face +X holds the points with x >= |y|, x >= |z| and near <= x <= far, the other
// faces likewise along their axis); only a face that passes pays for its matrix multiply. Both
// tests keep a small margin towards emitting, so a triangle the rasterizer would draw is never
// dropped and the picture stays identical.
// The faces are visited by a loop over the set bits, not face by face: llvmpipe shades a batch
// of triangles in lock-step and runs every branch whichever way its lanes go, but it leaves a
// loop once no lane has a trip left.
//   in  gl_in[].gl_Position          world-space corners from the vertex stage
//   uniform cm_matrices[6]           mat4, world -> clip space of each face (face order)
//   uniform lightPosition            vec3, world-space light position (the faces' common eye)
//   uniform near, far                float, depth range of the faces along their axis
//   uniform faceMask                 int, bit i set: face i is drawn (the renderer leaves out
//                                    faces no pixel in view reads)
//   out gl_Position                  clip space of face gl_Layer
//   out gl_Layer                     the cube face written
layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 cm_matrices[6];
uniform vec3 lightPosition;
uniform float near;
uniform float far;
uniform int faceMask;

// Margin of the plane tests in world units: far above the rounding of the face matrices, far
// below anything a face would show.
const float margin = 1e-3;

// The triangle's corners as seen along one face axis: depth along the axis (a, b, c per
// corner) and the two across it. The face can hold part of the triangle unless all three
// corners lie beyond one of its six planes.
bool touchesFace(vec3 depth, vec3 across1, vec3 across2) {
    vec3 limit = vec3(-margin);
    if (all(lessThan(depth - across1, limit))) return false;
    if (all(lessThan(depth + across1, limit))) return false;
    if (all(lessThan(depth - across2, limit))) return false;
    if (all(lessThan(depth + across2, limit))) return false;
    if (all(greaterThan(depth, vec3(far + margin)))) return false;
    if (all(lessThan(depth, vec3(near - margin)))) return false;
    return true;
}

void emitFace(int face) {
    for (int corner = 0; corner < 3; ++corner) {
        gl_Layer = face;
        gl_Position = cm_matrices[face] * gl_in[corner].gl_Position;
        EmitVertex();
    }
    EndPrimitive();
}

void main() {
    vec3 a = gl_in[0].gl_Position.xyz - lightPosition;
    vec3 b = gl_in[1].gl_Position.xyz - lightPosition;
    vec3 c = gl_in[2].gl_Position.xyz - lightPosition;

    // Counter-clockwise front faces: seen from the light, the front side's normal points back
    // at it. Nearly edge-on triangles are left to the rasterizer.
    vec3 normal = cross(b - a, c - a);
    bool facesLight = dot(normal, a) <= 1e-5 * length(normal) * length(a);

    vec3 xs = vec3(a.x, b.x, c.x);
    vec3 ys = vec3(a.y, b.y, c.y);
    vec3 zs = vec3(a.z, b.z, c.z);
    int faces = (touchesFace(xs, ys, zs) ? 1 : 0) | (touchesFace(-xs, ys, zs) ? 2 : 0) |
                (touchesFace(ys, xs, zs) ? 4 : 0) | (touchesFace(-ys, xs, zs) ? 8 : 0) |
                (touchesFace(zs, xs, ys) ? 16 : 0) | (touchesFace(-zs, xs, ys) ? 32 : 0);
    faces &= faceMask;
    if (!facesLight) {
        faces = 0;
    }
    // One trip per face the triangle touches, lowest face first: the loop ends as soon as no
    // triangle of a batch has a face left, where a face-by-face sequence would run all six.
    while (faces != 0) {
        int lowest = faces & -faces;
        emitFace(int(log2(float(lowest)) + 0.5));
        faces ^= lowest;
    }
}
