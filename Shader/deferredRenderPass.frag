#version 330 core
// Lighting pass, fragment stage: shades every G-buffer pixel with all point lights.
//
//   in  screenUV                  vec2, 0..1 across the target (unused: the G-buffer is read
//                                 by pixel, it has the target's size)
//   uniform gWorldPosition        sampler2D unit 0, world-space position (w = 1 on geometry)
//   uniform gWorldNormal          sampler2D unit 1, world-space normal (length 0: no geometry)
//   uniform gDiffuse              sampler2D unit 2, diffuse colour
//   uniform gAmbient              sampler2D unit 3, ambient occlusion (red, 1 = unoccluded)
//   uniform shadowMaps[7]         samplerCube units 4..10, distance / far per light (see
//                                 omnidirectionalShadowMap_FirstPass.frag)
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
uniform samplerCube shadowMaps[MAX_LIGHTS];
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

// Fraction of the light reaching p (0 shadowed .. 1 lit), from four filtered taps of the cube map
// on the surface's tangent plane (tangent, bitangent). The taps are lifted off the surface along
// the normal by about a texel so a sloped surface does not shadow itself (no acne), and compared
// with a small bias against the 16-bit distance / far (texel steps of 30 / 65535 units).
float cubeShadow(samplerCube shadowMap, vec3 p, vec3 n, vec3 tangent, vec3 bitangent,
                 vec3 lightPosition, float distanceToLight, float far) {
    float invFar = 1.0 / far;
    float texel = distanceToLight * 2.0 / cubeFaceSize;
    float spread = 1.5 * texel;
    vec3 lifted = p + n * spread - lightPosition;
    float bias = (0.5 * texel + 0.01) * invFar;
    vec3 t = tangent * spread;
    vec3 b = bitangent * spread;
    vec3 q0 = lifted - 0.8 * t - 0.3 * b;
    vec3 q1 = lifted + 0.3 * t - 0.8 * b;
    vec3 q2 = lifted + 0.8 * t + 0.3 * b;
    vec3 q3 = lifted - 0.3 * t + 0.8 * b;
    vec4 stored = vec4(textureLod(shadowMap, q0, 0.0).r, textureLod(shadowMap, q1, 0.0).r,
                       textureLod(shadowMap, q2, 0.0).r, textureLod(shadowMap, q3, 0.0).r);
    vec4 depth = vec4(length(q0), length(q1), length(q2), length(q3)) * invFar - bias;
    return dot(vec4(lessThanEqual(depth, stored)), vec4(0.25));
}

// Diffuse and specular light of one point light at p with its cube shadow map; zero for a point
// beyond the light's radius or facing away from it. Straight-line code: llvmpipe runs both sides
// of every branch over its pixel block anyway, so the cut-offs are selects, not early returns.
vec3 shadeLight(int i, samplerCube shadowMap, vec3 p, vec3 n, vec3 tangent, vec3 bitangent, vec3 v,
                vec3 albedo) {
    vec3 toLight = lights[i].position - p;
    float d = length(toLight);
    vec3 l = toLight / d;
    float nDotL = dot(n, l);
    float attenuation = 1.0 / (1.0 + lights[i].linear * d + lights[i].quadratic * d * d);
    // Fades the last fifth of the radius out so the cut-off leaves no visible ring.
    attenuation *= 1.0 - smoothstep(0.8 * lights[i].radius, lights[i].radius, d);
    bool lit = d < lights[i].radius && nDotL > 0.0;
    float shadow = omniDirShadowsEnabled != 0
                       ? cubeShadow(shadowMap, p, n, tangent, bitangent, lights[i].position, d,
                                    lights[i].near_far.y)
                       : 1.0;
    vec3 light = lights[i].color * (lit ? attenuation * shadow : 0.0);
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
