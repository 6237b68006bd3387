#version 330 core
// Copy of the light-view depth map into the colored shadow map (RGBA16F, same size as the depth
// map), fragment stage.
//
// Colored-shadow convention, shared by "drawShadowMap", "coloredShadowMap" and the lighting
// program ("deferredRenderPass"): every texel of the colored shadow map holds
//   rgb = the windows' transmission (linear) between the light view and the nearest opaque
//         surface of that texel, white (1, 1, 1) where no window lies in front of it;
//   a   = the linear depth of that nearest opaque surface along the light's view axis, in world
//         units (the far plane where the depth map was cleared).
// This program writes (1, 1, 1, depth) for every texel; the copy is drawn with blending off so
// it replaces last frame's contents.
//   uniform shadow_texture  sampler2D, the 16-bit linear depth map of the opaque objects
//                           (depth / lightFarPlane, see shadowMap.frag)
//   uniform lightFarPlane   float, far plane of the light view
//   out location 0  fragColor  vec4, (1, 1, 1, depth in world units)
uniform sampler2D shadow_texture;
uniform float lightFarPlane;

layout(location = 0) out vec4 fragColor;

void main() {
    float depth = texelFetch(shadow_texture, ivec2(gl_FragCoord.xy), 0).r;
    fragColor = vec4(1.0, 1.0, 1.0, depth * lightFarPlane);
}
