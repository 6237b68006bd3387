#version 330 core
// One direction of a separable Gaussian blur ("gaussBlur"), 21 taps, sigma 4 texels of the
// TARGET. Taps are one target texel apart and read one texel each:
// - the source level whose size matches the target is read (level 1 of a full-size source
//   drawn into a half-size target: the 2 x 2 box average that its mipmap chain, regenerated
//   before the pass, holds for every target texel; level 0 of a target-size source);
// - taps beyond the edge repeat the edge texel.
// Reading single texels instead of filtered samples gives the same sums for less work.
// in  texCoord: 0..1 over the target
// uniform sampler2D color_texture: image to blur (mipmap chain present when it is larger than
//     the target)
// uniform int horizontal: 1 blurs along x, 0 along y
// out location 0: rgb = blurred colour; alpha 1, so the standing source-alpha blending over the
//     cleared target stores the colour unchanged
in vec2 texCoord;

uniform sampler2D color_texture;
uniform int horizontal;

layout(location = 0) out vec4 fragColor;

const int tapRadius = 10;
// exp(-i * i / (2 * 4 * 4)) for i = 0 .. 10; the sum is divided by the weights' total
const float rawWeights[11] = float[11](1.0, 0.969233234, 0.882496903, 0.754839602, 0.606530660,
                                       0.457833362, 0.324652467, 0.216265167, 0.135335283,
                                       0.079559509, 0.043936934);

void main() {
    // texCoord is linear over the quad: its screen derivative is exactly one target texel
    vec2 targetSize = 1.0 / vec2(abs(dFdx(texCoord.x)), abs(dFdy(texCoord.y)));
    vec2 sourceSize = vec2(textureSize(color_texture, 0));
    // the level whose size is closest to the target's
    int level = max(0, int(floor(log2(max(sourceSize.x / targetSize.x, 1.0)) + 0.5)));
    ivec2 levelSize = textureSize(color_texture, level);
    ivec2 centre = ivec2(texCoord * vec2(levelSize));
    ivec2 step = horizontal == 1 ? ivec2(1, 0) : ivec2(0, 1);
    ivec2 last = levelSize - 1;

    float weightSum = rawWeights[0];
    for (int i = 1; i <= tapRadius; ++i) {
        weightSum += 2.0 * rawWeights[i];
    }
    vec3 sum = rawWeights[0] * texelFetch(color_texture, clamp(centre, ivec2(0), last), level).rgb;
    for (int i = 1; i <= tapRadius; ++i) {
        vec3 before = texelFetch(color_texture, clamp(centre - i * step, ivec2(0), last), level).rgb;
        vec3 after = texelFetch(color_texture, clamp(centre + i * step, ivec2(0), last), level).rgb;
        sum += rawWeights[i] * (before + after);
    }
    fragColor = vec4(sum / weightSum, 1.0);
}
