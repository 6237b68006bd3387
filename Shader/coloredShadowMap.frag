#version 330 core
// Colored shadow map, fragment stage: lays the windows' tint over the copied depth map.
//
// Convention (see drawShadowMap.frag): texel rgb = the windows' transmission towards the nearest
// opaque surface, a = that surface's linear depth. A window fragment is kept only when it lies in
// front of the nearest opaque surface of its texel ("shadowMap", the depth map itself); windows
// behind a wall tint nothing.
//
// The renderer draws the windows with multiplying blending on colour and alpha kept
// (rgb = src * dst, a = dst), so each kept window multiplies the texel's transmission by its own
// T = paneTransmission: mix(white, window colour, opacity), the glass colour decoded from sRGB,
// the same transmission the forward pass shows on the pane itself.
//   in  texCoord            vec2, material texture coordinate
//   in  viewDepth           float, the window's linear depth along the light's view axis
//   uniform shadowMap       sampler2D, linear depth map of the opaque objects (unit 2)
//   uniform lightFarPlane   float, far plane of the light view (depth map unit = far)
//   uniform hasColorTexture int, 1 when color_texture holds the window's colour
//   uniform color           vec4, window colour (sRGB rgb) and opacity (a) without a texture
//   uniform color_texture   sampler2D, window colour (sRGB rgb) and coverage (a)
//   out location 0  fragColor  vec4, (T, 1)
in vec2 texCoord;
in float viewDepth;

uniform sampler2D shadowMap;
uniform float lightFarPlane;
uniform int hasColorTexture;
uniform vec4 color;
uniform sampler2D color_texture;

layout(location = 0) out vec4 fragColor;

void main() {
    // Read before any pixel of the quad is discarded (the lookup takes derivatives).
    vec4 window = hasColorTexture == 1 ? texture(color_texture, texCoord) : color;
    float opaqueDepth = texelFetch(shadowMap, ivec2(gl_FragCoord.xy), 0).r * lightFarPlane;
    if (viewDepth >= opaqueDepth) {
        discard;
    }
    fragColor = vec4(paneTransmission(window), 1.0);
}
