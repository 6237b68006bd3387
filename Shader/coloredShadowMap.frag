#version 330 core
// Colored shadow map, fragment stage: lays the windows' tint over the copied depth map.
//
// Convention (see drawShadowMap.frag): texel rgb = light transmitted to the nearest opaque
// surface, a = closeness (1 - depth) of that surface. A window fragment is kept only when it lies
// in front of the nearest opaque surface of its texel ("shadowMap", the depth map itself);
// windows behind a wall tint nothing.
//
// The target is blended with (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) on all four channels. A kept
// fragment therefore writes alpha = the texel's closeness c: the stored alpha becomes
// c * c + c * (1 - c) = c, so the depth survives any number of windows. Its colour is chosen so
// that, blended with factor c over white, the texel becomes the window's transmission
// T = mix(white, window colour, opacity) exactly; a second window at the same texel adds its
// absorption to the first (T2 - (1 - c)(1 - T1)), which the lighting program clamps at 0.
//   in  texCoord            vec2, material texture coordinate
//   uniform shadowMap       sampler2D, depth map of the opaque objects (unit 2)
//   uniform hasColorTexture int, 1 when color_texture holds the window's colour
//   uniform color           vec4, window colour (rgb) and opacity (a) without a colour texture
//   uniform color_texture   sampler2D, window colour (rgb) and coverage (a)
//   out location 0  fragColor  vec4, the blend source described above
in vec2 texCoord;

uniform sampler2D shadowMap;
uniform int hasColorTexture;
uniform vec4 color;
uniform sampler2D color_texture;

layout(location = 0) out vec4 fragColor;

// Below this closeness the blend factor is too small to carry a tint (nearest opaque surface at
// the far end of the light's range); such texels stay untinted.
const float minCloseness = 1.0 / 16384.0;

void main() {
    float opaqueDepth = texelFetch(shadowMap, ivec2(gl_FragCoord.xy), 0).r;
    if (gl_FragCoord.z >= opaqueDepth) {
        discard;
    }
    float closeness = 1.0 - opaqueDepth;
    if (closeness < minCloseness) {
        discard;
    }
    vec4 window = hasColorTexture == 1 ? texture(color_texture, texCoord) : color;
    vec3 transmission = mix(vec3(1.0), window.rgb, clamp(window.a, 0.0, 1.0));
    fragColor = vec4(vec3(1.0) + (transmission - vec3(1.0)) / closeness, closeness);
}
