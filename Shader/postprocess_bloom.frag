#version 330 core
// Bloom composite ("bloom"): the lit image plus its blurred bright parts. The lit image is
// already tone-mapped for display, so the glow is only added, never re-exposed: switching bloom
// off and on keeps the overall brightness.
// in  texCoord: 0..1 over the window
// uniform sampler2D color_texture: lit scene, display colour in 0..1, the target's size
// uniform sampler2D bloom_texture: blurred bright parts, linear (usually half size)
// out location 0: rgb = color + bloom * bloomStrength, clamped to 0..1; alpha 1
in vec2 texCoord;

uniform sampler2D color_texture;
uniform sampler2D bloom_texture;

layout(location = 0) out vec4 fragColor;

const float bloomStrength = 1.0;

void main() {
    // the lit image has the window's size: one texel per pixel
    vec3 color = texelFetch(color_texture, ivec2(gl_FragCoord.xy), 0).rgb;
    vec3 bloom = texture(bloom_texture, texCoord).rgb;
    fragColor = vec4(clamp(color + bloom * bloomStrength, 0.0, 1.0), 1.0);
}
