#version 330 core
// One direction of a separable Gaussian blur ("gaussBlur"). Taps are spaced one texel of the
// TARGET apart, so a full-size source drawn into a half-size target is box-filtered 2 x 2 by the
// linear fetch and then blurred at the target's resolution.
// in  texCoord: 0..1 over the target
// uniform sampler2D color_texture: image to blur (linear filtering)
// uniform int horizontal: 1 blurs along x, 0 along y
// out location 0: rgb = blurred colour; alpha 1, so the standing source-alpha blending over the
//     cleared target stores the colour unchanged
in vec2 texCoord;

uniform sampler2D color_texture;
uniform int horizontal;

layout(location = 0) out vec4 fragColor;

const int tapRadius = 10;
// standard deviation in target texels
const float sigma = 4.0;

void main() {
    // texCoord is linear over the quad: its screen derivative is exactly one target texel
    vec2 targetTexel = vec2(abs(dFdx(texCoord.x)), abs(dFdy(texCoord.y)));
    vec2 step = horizontal == 1 ? vec2(targetTexel.x, 0.0) : vec2(0.0, targetTexel.y);
    vec2 sourceTexel = 1.0 / vec2(textureSize(color_texture, 0));
    vec2 lowest = 0.5 * sourceTexel;
    vec2 highest = 1.0 - 0.5 * sourceTexel;

    vec3 sum = vec3(0.0);
    float weightSum = 0.0;
    for (int i = -tapRadius; i <= tapRadius; ++i) {
        float offset = float(i);
        float weight = exp(-offset * offset / (2.0 * sigma * sigma));
        vec2 uv = clamp(texCoord + offset * step, lowest, highest);
        sum += weight * texture(color_texture, uv).rgb;
        weightSum += weight;
    }
    fragColor = vec4(sum / weightSum, 1.0);
}
