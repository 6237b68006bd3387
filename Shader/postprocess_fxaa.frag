#version 330 core
// Anti-aliasing ("fxaa"): the last pass of the frame, FXAA 3.11 in its quality form. A pixel
// whose four neighbours differ from it by less than the edge threshold is copied unchanged; on
// an edge the pass finds the edge's direction, walks along it to both ends of the stair step and
// re-samples the image up to half a pixel across the edge: most next to the step's end, where
// the stair is, none in its middle, and at least as far as the sub-pixel blend of thin lines
// asks.
// uniform sampler2D image: unit 0, the finished frame in display colour (0..1, already encoded
//         for the screen, so luma contrast is what a viewer sees), linear filtering, clamped to
//         the edge
// out location 0: rgb the anti-aliased display colour, alpha 1
// The image has the output's size (one texel a pixel), so pixels are addressed by gl_FragCoord.

uniform sampler2D image;

layout(location = 0) out vec4 fragColor;

// An edge needs a luma range of at least this share of the brightest neighbour...
const float edgeThreshold = 0.125;
// ... and at least this much in absolute terms, so dark noise is left alone.
const float edgeThresholdMin = 0.0625;
// How strongly a pixel unlike all its neighbours (a thin line) is blended with them.
const float subpixelAmount = 0.75;
// Pixels advanced at each step of the walk along an edge.
const int searchSteps = 5;
const float stepSizes[searchSteps] = float[](1.0, 1.5, 2.0, 4.0, 12.0);

float luma(vec3 color) {
    return dot(color, vec3(0.299, 0.587, 0.114));
}

float lumaAt(ivec2 pixel, ivec2 size) {
    return luma(texelFetch(image, clamp(pixel, ivec2(0), size - 1), 0).rgb);
}

float lumaAt(vec2 uv) {
    return luma(textureLod(image, uv, 0.0).rgb);
}

void main() {
    ivec2 size = textureSize(image, 0);
    vec2 texel = 1.0 / vec2(size);
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec3 centre = texelFetch(image, pixel, 0).rgb;

    float m = luma(centre);
    float n = lumaAt(pixel + ivec2(0, 1), size);
    float s = lumaAt(pixel + ivec2(0, -1), size);
    float e = lumaAt(pixel + ivec2(1, 0), size);
    float w = lumaAt(pixel + ivec2(-1, 0), size);
    float lowest = min(m, min(min(n, s), min(e, w)));
    float highest = max(m, max(max(n, s), max(e, w)));
    float range = highest - lowest;
    if (range < max(edgeThresholdMin, highest * edgeThreshold)) {
        fragColor = vec4(centre, 1.0);
        return;
    }

    float nw = lumaAt(pixel + ivec2(-1, 1), size);
    float ne = lumaAt(pixel + ivec2(1, 1), size);
    float sw = lumaAt(pixel + ivec2(-1, -1), size);
    float se = lumaAt(pixel + ivec2(1, -1), size);

    // An edge that runs horizontally changes luma from row to row: compare the second
    // differences down the columns with those along the rows.
    float acrossRows = abs(nw + sw - 2.0 * w) + 2.0 * abs(n + s - 2.0 * m) + abs(ne + se - 2.0 * e);
    float acrossColumns =
        abs(nw + ne - 2.0 * n) + 2.0 * abs(w + e - 2.0 * m) + abs(sw + se - 2.0 * s);
    bool horizontal = acrossRows >= acrossColumns;

    // The side of the edge with the steeper step is where the other surface lies.
    float before = horizontal ? s : w;
    float after = horizontal ? n : e;
    float gradientBefore = abs(before - m);
    float gradientAfter = abs(after - m);
    bool towardsBefore = gradientBefore >= gradientAfter;
    float stepAcross = (horizontal ? texel.y : texel.x) * (towardsBefore ? -1.0 : 1.0);
    float localAverage = 0.5 * (m + (towardsBefore ? before : after));
    float endContrast = 0.25 * max(gradientBefore, gradientAfter);

    // Walk along the edge, half a pixel across it, until the luma leaves the local average.
    vec2 uv = (vec2(pixel) + 0.5) * texel;
    vec2 along = horizontal ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec2 onEdge = uv + (horizontal ? vec2(0.0, 0.5 * stepAcross) : vec2(0.5 * stepAcross, 0.0));
    vec2 uvBack = onEdge - along * stepSizes[0];
    vec2 uvAhead = onEdge + along * stepSizes[0];
    float endBack = lumaAt(uvBack) - localAverage;
    float endAhead = lumaAt(uvAhead) - localAverage;
    bool doneBack = abs(endBack) >= endContrast;
    bool doneAhead = abs(endAhead) >= endContrast;
    for (int i = 1; i < searchSteps && !(doneBack && doneAhead); ++i) {
        if (!doneBack) {
            uvBack -= along * stepSizes[i];
            endBack = lumaAt(uvBack) - localAverage;
            doneBack = abs(endBack) >= endContrast;
        }
        if (!doneAhead) {
            uvAhead += along * stepSizes[i];
            endAhead = lumaAt(uvAhead) - localAverage;
            doneAhead = abs(endAhead) >= endContrast;
        }
    }

    // Only the nearer end counts, and only if it is where this pixel's side of the step ends:
    // there the luma crosses the local average the other way than at this pixel.
    float distanceBack = horizontal ? uv.x - uvBack.x : uv.y - uvBack.y;
    float distanceAhead = horizontal ? uvAhead.x - uv.x : uvAhead.y - uv.y;
    bool backNearer = distanceBack < distanceAhead;
    float nearest = min(distanceBack, distanceAhead);
    bool endsHere = ((backNearer ? endBack : endAhead) < 0.0) != (m < localAverage);
    float edgeOffset = endsHere ? 0.5 - nearest / (distanceBack + distanceAhead) : 0.0;

    // A pixel unlike the average of its 3 x 3 neighbourhood is a line thinner than a pixel.
    float average = (2.0 * (n + s + e + w) + nw + ne + sw + se) / 12.0;
    float unlike = clamp(abs(average - m) / range, 0.0, 1.0);
    float smoothUnlike = (3.0 - 2.0 * unlike) * unlike * unlike;
    float subpixelOffset = smoothUnlike * smoothUnlike * subpixelAmount;

    float offset = max(edgeOffset, subpixelOffset) * stepAcross;
    vec2 sampleUv = uv + (horizontal ? vec2(0.0, offset) : vec2(offset, 0.0));
    fragColor = vec4(textureLod(image, sampleUv, 0.0).rgb, 1.0);
}
