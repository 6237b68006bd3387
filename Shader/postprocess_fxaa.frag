#version 330 core
// Anti-aliasing ("fxaa"): the last pass of the frame, FXAA 3.11 in its console form, the one
// with a fixed, small number of taps. The lumas of the 3 x 3 pixels around it give the luma of
// the four 2 x 2 blocks at its corners (what bilinear taps at the corners would read: nine
// single-texel reads cost a software rasteriser less than four filtered ones); a pixel whose luma and those four span less than the edge
// threshold is copied unchanged. On an edge the corner lumas give the edge's direction, and the
// pixel becomes the mean of two taps half a pixel either way along the edge, or of those and two
// more up to four pixels out along it where the edge is long and straight (kept only while their
// mean stays inside the local luma range, so a crossing edge is not smeared in).
// (A walk to the edge's ends, as the quality form does, costs three times as much on a
// rasteriser that runs every branch for every pixel, software GL among them.)
// uniform sampler2D image: unit 0, the finished frame in display colour (0..1, already encoded
//         for the screen, so luma contrast is what a viewer sees), linear filtering, clamped to
//         the edge
// out location 0: rgb the anti-aliased display colour, alpha 1
// The image has the output's size (one texel a pixel), so pixels are addressed by gl_FragCoord.

uniform sampler2D image;

layout(location = 0) out vec4 fragColor;

// An edge needs a luma range of at least this share of the brightest luma around it...
const float edgeThreshold = 0.125;
// ... and at least this much in absolute terms, so dark noise is left alone.
const float edgeThresholdMin = 0.0625;
// How far the outer taps reach along a nearly horizontal or vertical edge: the less the edge
// leans, the further out, up to `outerReach` texels.
const float edgeSharpness = 8.0;
const float outerReach = 4.0;

float luma(vec3 color) {
    return dot(color, vec3(0.299, 0.587, 0.114));
}

// Luma of the pixel at offset from pixel, clamped to the image like the filtered taps.
float neighbourLuma(ivec2 pixel, ivec2 offset) {
    ivec2 last = textureSize(image, 0) - 1;
    return luma(texelFetch(image, clamp(pixel + offset, ivec2(0), last), 0).rgb);
}

vec3 tap(vec2 uv) {
    return textureLod(image, uv, 0.0).rgb;
}

void main() {
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 uv = gl_FragCoord.xy * texel; // the pixel's centre
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec3 centre = texelFetch(image, pixel, 0).rgb;

    float m = luma(centre);
    float n = neighbourLuma(pixel, ivec2(0, 1));
    float s = neighbourLuma(pixel, ivec2(0, -1));
    float e = neighbourLuma(pixel, ivec2(1, 0));
    float w = neighbourLuma(pixel, ivec2(-1, 0));
    float nw = 0.25 * (m + n + w + neighbourLuma(pixel, ivec2(-1, 1)));
    float ne = 0.25 * (m + n + e + neighbourLuma(pixel, ivec2(1, 1)));
    float sw = 0.25 * (m + s + w + neighbourLuma(pixel, ivec2(-1, -1)));
    float se = 0.25 * (m + s + e + neighbourLuma(pixel, ivec2(1, -1)));
    float lowest = min(m, min(min(nw, ne), min(sw, se)));
    float highest = max(m, max(max(nw, ne), max(sw, se)));
    if (highest - lowest < max(edgeThresholdMin, highest * edgeThreshold)) {
        fragColor = vec4(centre, 1.0);
        return;
    }

    // The luma gradient of the 2 x 2 blocks (y up, as the corners are named), turned a quarter:
    // along the edge. (FXAA's own formulas name the corners with y down.)
    float swMinusNe = sw - ne;
    float seMinusNw = se - nw;
    vec2 along = vec2(swMinusNe + seMinusNw, seMinusNw - swMinusNe);
    along /= max(length(along), 1e-6);
    vec3 inner = 0.5 * (tap(uv - along * 0.5 * texel) + tap(uv + along * 0.5 * texel));

    float lean = max(min(abs(along.x), abs(along.y)) * edgeSharpness, 1e-6);
    vec2 reach = clamp(along / lean, -2.0, 2.0) * (0.5 * outerReach);
    vec3 outer = 0.5 * (tap(uv - reach * texel) + tap(uv + reach * texel));
    vec3 wide = 0.5 * (inner + outer);

    float wideLuma = luma(wide);
    fragColor = vec4(wideLuma < lowest || wideLuma > highest ? inner : wide, 1.0);
}
