#version 330 core
// Screen-space ambient occlusion ("ssao") from a G-buffer of world-space positions and normals.
// in  texCoord: 0..1 over the target (the target and the G-buffer share one size)
// uniform sampler2D position_texture: world position xyz, w = 1 where there is geometry, else 0
// uniform sampler2D normal_texture: world normal xyz; length 0 where there is no geometry
// uniform sampler2D noise_texture: 4 x 4 rotation vectors (x, y in -1..1, z = 0), repeating
// uniform vec2 noiseScale: target size / 4, so the noise repeats every 4 pixels
// uniform mat4 viewMatrix: world -> view space
// uniform mat4 projectionMatrix: view -> clip space
// uniform int numSamples: kernel entries used, at most 16
// uniform vec3 samples[16]: hemisphere offsets around +z (tangent space), in units of the radius
// uniform float ssaoRadius, ssaoBias: hemisphere radius and self-occlusion margin, world (= view)
//   units; ssaoStrength: share of the measured occlusion applied (tunables, declared by the
//   registry)
// out location 0: red = ambient factor, 1 unoccluded .. 0 fully occluded; alpha 1
in vec2 texCoord;

uniform sampler2D position_texture;
uniform sampler2D normal_texture;
uniform sampler2D noise_texture;
uniform vec2 noiseScale;
uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;
uniform int numSamples;
uniform vec3 samples[16];

layout(location = 0) out vec4 fragColor;

// Tangent frame around the view-space normal, turned by the per-pixel noise vector. Falls back
// to a fixed axis when the noise vector is parallel to the normal.
mat3 orientedFrame(vec3 normal, vec3 rotation) {
    vec3 tangent = rotation - normal * dot(rotation, normal);
    if (dot(tangent, tangent) < 1e-6) {
        vec3 axis = abs(normal.x) < 0.9 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 1.0, 0.0);
        tangent = axis - normal * dot(axis, normal);
    }
    tangent = normalize(tangent);
    vec3 bitangent = cross(normal, tangent);
    return mat3(tangent, bitangent, normal);
}

// Everything a sample needs that does not depend on the sample, computed once per pixel. The
// occluder tests run in world space (the view matrix is a rigid motion, so dot products and
// lengths agree with view space); only the view depth of the occluder is needed, one dot
// product with the view matrix's depth row.
struct PixelFrame {
    vec3 worldPosition;
    vec3 worldNormal;
    float viewDepth;      // view-space z of the pixel
    vec4 clipOrigin;      // projectionMatrix * view-space position
    mat3x4 clipFrame;     // projectionMatrix * oriented frame: kernel offset -> clip offset
    vec3 frameDepth;      // view-space z of the frame's axes: kernel offset -> depth offset
    vec4 depthRow;        // world position (w = 1) -> view-space z
    vec2 halfSize;        // half the target size in texels
    ivec2 lastTexel;
};

// Occlusion (0 or 1, faded by distance) of one kernel offset by the surface seen at its pixel.
// That surface must also rise above the fragment's tangent plane: on a flat surface seen at a
// grazing angle the pixel's surface point can lie in front of a sample that is above the
// surface, and would otherwise darken open floors towards the horizon. Samples behind the
// camera, off screen or over the empty background occlude nothing. Straight-line code: the
// rejections are factors, so neighbouring pixels never diverge.
float sampleOcclusion(PixelFrame f, vec3 offset) {
    vec4 clip = f.clipOrigin + f.clipFrame * offset;
    float sampleDepth = f.viewDepth + dot(f.frameDepth, offset);
    float inFront = clip.w > 0.0 ? 1.0 : 0.0;
    // window coordinates in texels; the nearest texel: filtering would blend surfaces, or a
    // surface with the empty background, into points that lie on neither
    vec2 window = (clip.xy / clip.w + 1.0) * f.halfSize;
    vec2 windowSize = 2.0 * f.halfSize;
    float onScreen = all(greaterThanEqual(window, vec2(0.0))) && all(lessThanEqual(window, windowSize))
                         ? 1.0
                         : 0.0;
    ivec2 texel = clamp(ivec2(window), ivec2(0), f.lastTexel);
    vec4 scene = texelFetch(position_texture, texel, 0);
    float hasGeometry = scene.w >= 0.99 ? 1.0 : 0.0;
    float aboveTangentPlane = dot(scene.xyz - f.worldPosition, f.worldNormal) >= ssaoBias ? 1.0 : 0.0;
    float occluderDepth = dot(f.depthRow, vec4(scene.xyz, 1.0));
    // geometry far in front of the fragment (a silhouette edge) does not darken it
    float rangeCheck = smoothstep(0.0, 1.0, ssaoRadius / abs(f.viewDepth - occluderDepth));
    float inFrontOfSample = occluderDepth >= sampleDepth + ssaoBias ? 1.0 : 0.0;
    return inFront * onScreen * hasGeometry * aboveTangentPlane * inFrontOfSample * rangeCheck;
}

void main() {
    // the target and the G-buffer share one size: one G-buffer texel per pixel
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    // Read before the background's pixels return (the lookup takes derivatives).
    vec3 rotation = texture(noise_texture, texCoord * noiseScale).xyz;
    vec3 worldNormal = texelFetch(normal_texture, pixel, 0).xyz;
    if (dot(worldNormal, worldNormal) < 1e-8) {
        fragColor = vec4(1.0);
        return;
    }
    PixelFrame f;
    f.worldPosition = texelFetch(position_texture, pixel, 0).xyz;
    f.worldNormal = normalize(worldNormal);
    vec3 position = (viewMatrix * vec4(f.worldPosition, 1.0)).xyz;
    vec3 normal = normalize(mat3(viewMatrix) * worldNormal);
    mat3 frame = orientedFrame(normal, rotation) * ssaoRadius;

    f.viewDepth = position.z;
    f.clipOrigin = projectionMatrix * vec4(position, 1.0);
    f.clipFrame = mat3x4(projectionMatrix * vec4(frame[0], 0.0), projectionMatrix * vec4(frame[1], 0.0),
                         projectionMatrix * vec4(frame[2], 0.0));
    f.frameDepth = vec3(frame[0].z, frame[1].z, frame[2].z);
    f.depthRow = vec4(viewMatrix[0].z, viewMatrix[1].z, viewMatrix[2].z, viewMatrix[3].z);
    ivec2 size = textureSize(position_texture, 0);
    f.halfSize = 0.5 * vec2(size);
    f.lastTexel = size - 1;

    // Interleaved: a pixel takes every fourth kernel entry, starting at its place in its 2 x 2
    // block (0 .. 3), so each pixel pays for a quarter of the fetches and the 4 x 4 average of
    // "avgBlur" still sees the whole kernel four times in every block. A fixed trip count;
    // entries beyond numSamples weigh nothing.
    int count = clamp(numSamples, 0, 16);
    int first = (pixel.x & 1) + 2 * (pixel.y & 1);
    float occlusion = 0.0;
    for (int j = 0; j < 4; ++j) {
        int i = 4 * j + first;
        occlusion += (i < count ? 1.0 : 0.0) * sampleOcclusion(f, samples[i]);
    }
    int taken = (count - first + 3) / 4;
    float ambient = taken > 0 ? clamp(1.0 - ssaoStrength * (occlusion / float(taken)), 0.0, 1.0) : 1.0;
    fragColor = vec4(ambient, ambient, ambient, 1.0);
}
