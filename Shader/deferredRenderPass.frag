#version 330 core
// Lighting pass, fragment stage: shades every G-buffer pixel with all point lights.
//
//   in  screenUV                  vec2, 0..1 across the target (unused: the G-buffer is read
//                                 by pixel, it has the target's size)
//   uniform gWorldPosition        sampler2D unit 0, world-space position (w = 1 on geometry)
//   uniform gWorldNormal          sampler2D unit 1, world-space normal (length 0: no geometry)
//   uniform gDiffuse              sampler2D unit 2, diffuse colour
//   uniform gAmbient              sampler2D unit 3, ambient occlusion (red, 1 = unoccluded)
//   uniform shadowMaps[7]         samplerCubeShadow units 4..10 (comparison sampler, LEQUAL):
//                                 window depth of each face's projection per light, near and
//                                 far from near_far (see omnidirectionalShadowMap_FirstPass.frag)
//   uniform colorShadowMap        sampler2D unit 11, colored shadow map (see drawShadowMap.frag:
//                                 rgb = transmitted light, a = closeness 1 - depth)
//   uniform lightViewProjectionMatrix  mat4, world -> (s, t, depth) in [0, 1] of that map
//   uniform lights[7]             world-space position, color, linear, quadratic, radius and
//                                 near_far (depth range of the light's cube map); a light with
//                                 radius 0 (never set) does nothing
//   uniform eyePosition           vec3, world-space camera position
//   uniform inverseViewMatrix     mat4, view -> world (not needed: eyePosition suffices)
//   uniform ssaoEnabled           int, 1: weight the ambient term by gAmbient
//   uniform omniDirShadowsEnabled int, 1: the cube maps shadow the lights
//   uniform colorShadowsEnabled   int, 1: tint the surfaces lit through the windows
//   uniform lightMode             int, 0 ambient + diffuse + specular, 1 ambient + diffuse,
//                                 2 ambient only
//   out location 0  displayColor  vec4, tone-mapped display colour in [0, 1], a = 1
//   out location 1  brightColor   vec4, linear radiance above the bloom threshold, a = 1
//   SHADOW_MAP_SIZE               int, face size of the cube maps, defined by the shader registry
in vec2 screenUV;

#define MAX_LIGHTS 7

struct PointLight {
    vec3 position;
    vec3 color;
    float linear;
    float quadratic;
    float radius;
    vec2 near_far;
};

uniform sampler2D gWorldPosition;
uniform sampler2D gWorldNormal;
uniform sampler2D gDiffuse;
uniform sampler2D gAmbient;
uniform samplerCubeShadow shadowMaps[MAX_LIGHTS];
uniform sampler2D colorShadowMap;
uniform mat4 lightViewProjectionMatrix;
uniform PointLight lights[MAX_LIGHTS];
uniform vec3 eyePosition;
uniform mat4 inverseViewMatrix;
uniform int ssaoEnabled;
uniform int omniDirShadowsEnabled;
uniform int colorShadowsEnabled;
uniform int lightMode;

layout(location = 0) out vec4 displayColor;
layout(location = 1) out vec4 brightColor;

const vec3 skyColor = vec3(0.49, 0.73, 1.0);
const float ambientStrength = 0.22;
const float specularStrength = 0.35;
// Shininess 32: five squarings instead of a general power.
float specularPower(float x) {
    float x2 = x * x;
    float x4 = x2 * x2;
    float x8 = x4 * x4;
    float x16 = x8 * x8;
    return x16 * x16;
}
const float exposure = 1.6;
const float bloomThreshold = 1.0;
// Face size of the cube maps: one texel spans about 2 / cubeFaceSize radians.
const float cubeFaceSize = float(SHADOW_MAP_SIZE);
// 16-bit depth of the light-view map, in steps of its window depth.
const float depthStep = 1.0 / 65535.0;

// Taps of the shadow filter: a golden-angle spiral over the unit disk, rotated per pixel.
const int shadowTaps = 5;
const float goldenAngle = 2.39996323;

// Per-pixel rotation of the shadow taps (interleaved gradient noise): neighbouring pixels use
// different tap sets, so the few taps give a fine grain instead of banded penumbrae.
vec2 tapRotation() {
    float angle = 6.2831853 * fract(52.9829189 * fract(dot(gl_FragCoord.xy,
                                                           vec2(0.06711056, 0.00583715))));
    return vec2(cos(angle), sin(angle));
}

// Window depth of a point at axisDistance along a cube face's axis, in the face projection of
// the shadow pass (perspective with nearFar.x, nearFar.y).
float cubeFaceDepth(float axisDistance, vec2 nearFar) {
    float n = nearFar.x;
    float f = nearFar.y;
    return 0.5 * ((f + n) / (f - n) - 2.0 * f * n / ((f - n) * axisDistance)) + 0.5;
}

// Fraction of the light reaching p (0 shadowed .. 1 lit), percentage-closer filtered: each tap
// is a comparison lookup (the sampler compares four texels with the tap's own reference depth
// and then filters the results), and the taps lie on a disk in the surface's tangent plane
// (tangent, bitangent) rotated per pixel. The disk is lifted off the surface along the normal by
// about a texel, so a sloped surface does not shadow itself (no acne) without a depth offset
// large enough to detach shadows from their casters (no peter-panning); the remaining bias
// covers the 24-bit depth steps, about 6e-5 d^2 units at d units from the light. Each tap's
// reference depth is taken along its own major axis, the axis whose face the lookup reads.
float cubeShadow(samplerCubeShadow shadowMap, vec3 p, vec3 n, vec3 tangent, vec3 bitangent,
                 vec3 lightPosition, float distanceToLight, vec2 nearFar) {
    float texel = distanceToLight * 2.0 / cubeFaceSize;
    float spread = 1.5 * texel;
    vec3 lifted = p + n * spread - lightPosition;
    float bias = 0.5 * texel + 0.02 + 1e-4 * distanceToLight * distanceToLight;
    vec2 rotation = tapRotation();
    vec3 t = (rotation.x * tangent + rotation.y * bitangent) * spread;
    vec3 b = (rotation.x * bitangent - rotation.y * tangent) * spread;
    float lit = 0.0;
    for (int k = 0; k < shadowTaps; ++k) {
        float radius = sqrt((float(k) + 0.5) / float(shadowTaps));
        float angle = float(k) * goldenAngle;
        vec3 q = lifted + radius * (cos(angle) * t + sin(angle) * b);
        vec3 axes = abs(q);
        float axisDistance = max(axes.x, max(axes.y, axes.z));
        float reference = cubeFaceDepth(axisDistance - bias, nearFar);
        // Explicit zero gradients: the map has one level, and the lookup may sit in a branch.
        lit += textureGrad(shadowMap, vec4(q, reference), vec3(0.0), vec3(0.0));
    }
    return lit * (1.0 / float(shadowTaps));
}

// Diffuse and specular light of one point light at p with its cube shadow map. A point beyond
// the light's radius or facing away from it returns at once: on a GPU a whole group of pixels
// outside the light skips the shadow lookups (llvmpipe runs both sides either way).
vec3 shadeLight(int i, samplerCubeShadow shadowMap, vec3 p, vec3 n, vec3 tangent, vec3 bitangent,
                vec3 v, vec3 albedo) {
    vec3 toLight = lights[i].position - p;
    float d = length(toLight);
    vec3 l = toLight / d;
    float nDotL = dot(n, l);
    if (d >= lights[i].radius || nDotL <= 0.0) {
        return vec3(0.0);
    }
    float attenuation = 1.0 / (1.0 + lights[i].linear * d + lights[i].quadratic * d * d);
    // Fades the last fifth of the radius out so the cut-off leaves no visible ring.
    attenuation *= 1.0 - smoothstep(0.8 * lights[i].radius, lights[i].radius, d);
    float shadow = omniDirShadowsEnabled != 0
                       ? cubeShadow(shadowMap, p, n, tangent, bitangent, lights[i].position, d,
                                    lights[i].near_far)
                       : 1.0;
    vec3 light = lights[i].color * (attenuation * shadow);
    vec3 h = normalize(l + v);
    float specular = lightMode == 0 ? specularStrength * specularPower(max(dot(n, h), 0.0)) : 0.0;
    return (albedo * nDotL + specular) * light;
}

// Light transmitted by the windows to p as seen from the shadow light: white unless p is the
// nearest opaque surface of its texel and windows lie in front of it.
vec3 windowTint(vec3 p) {
    vec4 q = lightViewProjectionMatrix * vec4(p, 1.0);
    if (q.w <= 0.0) {
        return vec3(1.0);
    }
    vec3 stp = q.xyz / q.w;
    if (any(lessThan(stp, vec3(0.0))) || any(greaterThan(stp, vec3(1.0)))) {
        return vec3(1.0);
    }
    vec4 texel = texture(colorShadowMap, stp.xy);
    float closeness = 1.0 - stp.z;
    // Behind the nearest opaque surface by more than the depth map's quantisation: in the
    // light's shadow, no window light reaches p.
    if (closeness < texel.a - (2.0 * depthStep + 0.03 * texel.a)) {
        return vec3(1.0);
    }
    return clamp(texel.rgb, 0.0, 1.0);
}

void main() {
    // The G-buffer and the occlusion target have the lighting target's size: one texel per pixel.
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec3 n = texelFetch(gWorldNormal, pixel, 0).xyz;
    if (dot(n, n) < 1e-8) {
        displayColor = vec4(skyColor, 1.0);
        brightColor = vec4(0.0, 0.0, 0.0, 1.0);
        return;
    }
    n = normalize(n);
    vec3 p = texelFetch(gWorldPosition, pixel, 0).xyz;
    vec3 albedo = texelFetch(gDiffuse, pixel, 0).rgb;
    vec3 v = normalize(eyePosition - p);
    // The shadow taps' tangent plane, shared by all lights.
    vec3 tangent = normalize(abs(n.y) < 0.9 ? cross(n, vec3(0.0, 1.0, 0.0))
                                            : cross(n, vec3(1.0, 0.0, 0.0)));
    vec3 bitangent = cross(n, tangent);

    float occlusion = ssaoEnabled != 0 ? texelFetch(gAmbient, pixel, 0).r : 1.0;
    vec3 radiance = ambientStrength * occlusion * albedo;
    if (lightMode != 2) {
        // Constant indices: GLSL 3.30 cannot index a sampler array with a loop variable.
        radiance += shadeLight(0, shadowMaps[0], p, n, tangent, bitangent, v, albedo);
        radiance += shadeLight(1, shadowMaps[1], p, n, tangent, bitangent, v, albedo);
        radiance += shadeLight(2, shadowMaps[2], p, n, tangent, bitangent, v, albedo);
        radiance += shadeLight(3, shadowMaps[3], p, n, tangent, bitangent, v, albedo);
        radiance += shadeLight(4, shadowMaps[4], p, n, tangent, bitangent, v, albedo);
        radiance += shadeLight(5, shadowMaps[5], p, n, tangent, bitangent, v, albedo);
        radiance += shadeLight(6, shadowMaps[6], p, n, tangent, bitangent, v, albedo);
    }
    if (colorShadowsEnabled != 0) {
        radiance *= windowTint(p);
    }

    vec3 mapped = vec3(1.0) - exp(-radiance * exposure);
    displayColor = vec4(mapped, 1.0);
    brightColor = vec4(max(radiance - vec3(bloomThreshold), vec3(0.0)), 1.0);
}
