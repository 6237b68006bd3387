#version 330 core
// Box average of the raw ambient occlusion ("avgBlur"): a 4 x 4 window, the period of the SSAO
// rotation noise, so the noise pattern averages out.
// The window covers the texels -2 .. +1 around the pixel in each direction. With the target's
// linear filtering, one fetch at the shared corner of a 2 x 2 block returns that block's mean,
// so four fetches at the corners -1.5 and +0.5 texels away give the 16-texel mean. Clamping a
// fetch to the outermost texel centres repeats the edge texel, as a clamped 16-tap window would.
// in  texCoord: 0..1 over the target (same size as color_texture)
// uniform sampler2D color_texture: raw occlusion factor in red, linear filtering
// out location 0: red = averaged occlusion factor (1 unoccluded); alpha 1
in vec2 texCoord;

uniform sampler2D color_texture;

layout(location = 0) out vec4 fragColor;

void main() {
    vec2 texel = 1.0 / vec2(textureSize(color_texture, 0));
    vec2 lowest = 0.5 * texel;
    vec2 highest = 1.0 - 0.5 * texel;
    vec2 before = clamp(texCoord - 1.5 * texel, lowest, highest);
    vec2 after = clamp(texCoord + 0.5 * texel, lowest, highest);
    float sum = texture(color_texture, before).r + texture(color_texture, vec2(after.x, before.y)).r +
                texture(color_texture, vec2(before.x, after.y)).r + texture(color_texture, after).r;
    float average = 0.25 * sum;
    fragColor = vec4(average, average, average, 1.0);
}
