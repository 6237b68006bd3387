#version 330 core
// Bloom composite ("bloom"): the end of the frame. The lit image and its blurred bright parts are
// both linear radiance; the glow is added in radiance, then the frame's one tone-mapping operator
// and the sRGB encode (radianceToDisplay) turn the sum into display values, dithered for the
// 8-bit output (outputColor).
// in  texCoord: 0..1 over the window
// uniform sampler2D color_texture: lit scene, linear radiance, the target's size
// uniform sampler2D bloom_texture: blurred bright parts, linear radiance (usually half size)
// uniform float bloomStrength: share of the glow added back (a tunable, declared by the registry)
// out location 0: rgb = outputColor(color + bloom * bloomStrength); alpha 1
in vec2 texCoord;

uniform sampler2D color_texture;
uniform sampler2D bloom_texture;

layout(location = 0) out vec4 fragColor;

void main() {
    // the lit image has the window's size: one texel per pixel
    vec3 color = texelFetch(color_texture, ivec2(gl_FragCoord.xy), 0).rgb;
    vec3 bloom = texture(bloom_texture, texCoord).rgb;
    fragColor = vec4(outputColor(color + bloom * bloomStrength, gl_FragCoord.xy), 1.0);
}
