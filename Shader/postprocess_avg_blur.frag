#version 330 core
// Box average of the raw ambient occlusion ("avgBlur"): a 4 x 4 window, the period of the SSAO
// rotation noise, so the noise pattern averages out.
// in  texCoord: 0..1 over the target (same size as color_texture)
// uniform sampler2D color_texture: raw occlusion factor in red
// out location 0: red = averaged occlusion factor (1 unoccluded); alpha 1
in vec2 texCoord;

uniform sampler2D color_texture;

layout(location = 0) out vec4 fragColor;

void main() {
    vec2 size = vec2(textureSize(color_texture, 0));
    vec2 texel = 1.0 / size;
    // texel centres only, clamped to the edge so the border does not wrap around
    vec2 lowest = 0.5 * texel;
    vec2 highest = 1.0 - 0.5 * texel;
    float sum = 0.0;
    for (int y = -2; y < 2; ++y) {
        for (int x = -2; x < 2; ++x) {
            vec2 uv = clamp(texCoord + vec2(float(x), float(y)) * texel, lowest, highest);
            sum += texture(color_texture, uv).r;
        }
    }
    float average = sum / 16.0;
    fragColor = vec4(average, average, average, 1.0);
}
