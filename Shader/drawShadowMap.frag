#version 330 core
// Copy of the light-view depth map into the colored shadow map (RGBA16F, same size as the depth
// map), fragment stage.
//
// Colored-shadow convention, shared by "drawShadowMap", "coloredShadowMap" and the lighting
// program ("deferredRenderPass"): every texel of the colored shadow map holds
//   rgb = the light transmitted to the nearest opaque surface of that texel, white (1, 1, 1)
//         where no window lies in front of it;
//   a   = the closeness of that nearest opaque surface, 1 - window depth of the shadow light's
//         perspective. Perspective depth crowds against 1, so a half float could not tell the
//         depths of the scene apart; 1 - depth is about near / distance and keeps its full
//         relative precision there. 0 means no opaque surface (cleared depth).
// This program writes (1, 1, 1, 1 - depth) for every texel; the copy is drawn with blending off
// so it replaces last frame's contents.
//   uniform shadow_texture  sampler2D, the 16-bit depth map of the opaque objects
//   out location 0  fragColor  vec4, (1, 1, 1, closeness)
uniform sampler2D shadow_texture;

layout(location = 0) out vec4 fragColor;

void main() {
    float depth = texelFetch(shadow_texture, ivec2(gl_FragCoord.xy), 0).r;
    fragColor = vec4(1.0, 1.0, 1.0, 1.0 - depth);
}
