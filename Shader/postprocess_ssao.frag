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

// hemisphere radius in world (= view) units
const float radius = 1.0;
// depth and height margin that keeps a surface from occluding itself
const float bias = 0.025;

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

// Occlusion (0 or 1, faded by distance) of one sample point in view space by the surface seen
// at its pixel. That surface must also rise above the fragment's tangent plane: on a flat surface
// seen at a grazing angle the pixel's surface point can lie in front of a sample that is above
// the surface, and would otherwise darken open floors towards the horizon.
float sampleOcclusion(vec3 samplePosition, vec3 position, vec3 normal) {
    vec4 clip = projectionMatrix * vec4(samplePosition, 1.0);
    if (clip.w <= 0.0) {
        return 0.0;
    }
    vec2 uv = clip.xy / clip.w * 0.5 + 0.5;
    if (any(lessThan(uv, vec2(0.0))) || any(greaterThan(uv, vec2(1.0)))) {
        return 0.0;
    }
    // the nearest texel: filtering would blend surfaces, or a surface with the empty background,
    // into points that lie on neither
    ivec2 size = textureSize(position_texture, 0);
    ivec2 texel = clamp(ivec2(uv * vec2(size)), ivec2(0), size - 1);
    vec4 scene = texelFetch(position_texture, texel, 0);
    if (scene.w < 0.99) {
        return 0.0;
    }
    vec3 occluder = (viewMatrix * vec4(scene.xyz, 1.0)).xyz;
    if (dot(occluder - position, normal) < bias) {
        return 0.0;
    }
    // geometry far in front of the fragment (a silhouette edge) does not darken it
    float rangeCheck = smoothstep(0.0, 1.0, radius / abs(position.z - occluder.z));
    return (occluder.z >= samplePosition.z + bias ? 1.0 : 0.0) * rangeCheck;
}

void main() {
    vec3 worldNormal = texture(normal_texture, texCoord).xyz;
    if (dot(worldNormal, worldNormal) < 1e-8) {
        fragColor = vec4(1.0);
        return;
    }
    vec3 worldPosition = texture(position_texture, texCoord).xyz;
    vec3 position = (viewMatrix * vec4(worldPosition, 1.0)).xyz;
    vec3 normal = normalize(mat3(viewMatrix) * worldNormal);
    vec3 rotation = texture(noise_texture, texCoord * noiseScale).xyz;
    mat3 frame = orientedFrame(normal, rotation);

    int count = clamp(numSamples, 0, 16);
    float occlusion = 0.0;
    for (int i = 0; i < count; ++i) {
        vec3 samplePosition = position + frame * samples[i] * radius;
        occlusion += sampleOcclusion(samplePosition, position, normal);
    }
    float ambient = count > 0 ? 1.0 - occlusion / float(count) : 1.0;
    fragColor = vec4(ambient, ambient, ambient, 1.0);
}
