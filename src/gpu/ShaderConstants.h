// ShaderConstants: the numbers and the few GLSL functions that the C++ passes and the GLSL files
// must agree on. Each is written once, here; the shader registry hands every stage the whole
// table (integers as #defines, floats and vectors as const declarations) right after its #version
// line, followed by the shared functions, so a shader never repeats a value or a colour
// conversion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Face size in texels of every cube shadow map and of the light-view depth and colour maps.
constexpr int shadowMapSize = 512;
// Point lights the lighting program has slots for (MAX_LIGHTS); the scene's lights fill the first.
constexpr int maxLights = 7;

// Which lighting terms the lighting pass applies; passed to the shader as its integer value, and
// known to the shaders under the enumerators' own names.
enum LightMode : std::int32_t {
    AMBIENT_DIFFUSE_SPECULAR = 0,
    AMBIENT_DIFFUSE = 1,
    AMBIENT = 2,
};
constexpr int kLightModeCount = 3;
// The modes' names in LightMode order, as the console and the shaders spell them.
constexpr const char* lightModeNames[kLightModeCount] = {"AMBIENT_DIFFUSE_SPECULAR",
                                                         "AMBIENT_DIFFUSE", "AMBIENT"};

// Display colour where no geometry is: the window's clear colour and the lit image's sky.
constexpr float skyColor[3] = {0.49f, 0.73f, 1.0f};
// Vertical field of view of the light view that casts the colored shadows, in degrees.
constexpr float lightViewFieldOfView = 70.0f;
// Daylight through the drum's windows, seen as one broad source on the crossing's axis at the
// drum's mid-height: its centre (world space), colour and strength, the distance at which it has
// fallen to half, the heights (world y) over which it fades in, and the distances from the
// crossing's axis over which it fades out. The lighting pass adds it; the indirect-light bake
// bounces it.
constexpr float drumCentre[3] = {0.0f, 6.2f, -8.0f};
constexpr float drumDaylightColor[3] = {1.0f, 0.86f, 0.62f};
constexpr float drumDaylightStrength = 0.3f;
constexpr float drumReach = 9.0f;
constexpr float drumFadeIn[2] = {-6.0f, 2.0f};
constexpr float drumFadeOut[2] = {5.0f, 7.5f};

// One constant as the shaders see it: an integer as "#define NAME value", a float as
// "const float name = value;", a vector as "const vecN name = vecN(...);".
struct ShaderConstant {
    std::string name;
    int components; // 0: an integer; 1: a float; 2 to 4: a vector of that many floats
    int integer;
    float vector[4];
};

// Exposure, the bloom's threshold and knee and the other live parameters the shared functions
// below read are uniforms of the tunables' table (Tunables.h), not constants.

// Every constant, in the order the shaders get them: the values above, then one integer per
// light mode (under its enumerator's name) and per debug view (VIEW_FINAL_IMAGE, ...).
const std::vector<ShaderConstant>& shaderConstants();
// The constants as GLSL lines, one per constant, followed by one uniform declaration per tunable
// (Tunables.h: "uniform float toneMapExposure = 1.8;"), its start value as initialiser.
std::string shaderConstantLines();

// GLSL shared by every stage: the colour pipeline and the cube shadow maps' depth convention.
// Colour images hold sRGB-encoded values and are decoded when read; lighting, the forward pass
// and bloom work on linear radiance; the end of the frame applies the one tone-mapping operator
// and the sRGB encode exactly once.
//   srgbToLinear        sRGB decode on 0..1: the linear toe, then the power curve as t^2
//                       times a quadratic in sqrt(t), within 0.21 % of the exact value in
//                       relative terms over the whole range (a cubic in c crushed the darks,
//                       off by half at code 10; a pow costs a software rasteriser a logarithm
//                       and an exponential per channel)
//   linearToSrgb        sRGB encode on 0..1: the linear toe, then a fit of the power curve in
//                       three square roots (within 0.4 / 255 of the exact curve; a pow costs
//                       a software rasteriser a logarithm and an exponential per channel)
//   toneMap             ACES filmic curve in Narkowicz's fit, radiance -> linear display 0..1
//   inverseToneMap      its inverse on 0..1 (a display colour as radiance, e.g. the sky)
//   radianceToDisplay   toneMap then the sRGB encode: what the output holds
//   displayToRadiance   the inverse: the radiance that shows as a given display colour
//   ditherDisplay       a display colour with less than half an 8-bit step of noise added,
//                       a fixed pattern of the pixel (interleaved gradient noise, transposed
//                       from the shadow taps' rotation), so that rounding to 8 bits leaves no
//                       bands in dark gradients and moves no pixel by more than one step
//   outputColor         what the frame's 8-bit image holds for a radiance at a pixel:
//                       radianceToDisplay, dithered
//   litTargetColor      what a pass that lights the image writes at a pixel: the output colour
//                       when its target is the output (toneMapOutput != 0), else the radiance
//   brightParts         the share of the radiance that glows: none below threshold - knee,
//                       then a quadratic knee into (brightness - threshold) / brightness
//   paneTransmission    the share of the light a pane lets through per channel, from its sRGB
//                       colour and opacity: mix(white, decoded colour, opacity), in linear
//                       terms; both the pane as seen and the tint it casts (F7) are this
//   gBufferNormal       a unit normal as the G-buffer holds it: each component rounded to the
//                       half float the target stores (those below its normal range to 0), so
//                       the geometry pass can work with exactly what the lighting pass reads
//   tangentFrame        a fixed tangent and bitangent around a unit normal, continuous in the
//                       normal everywhere but at one direction no flat surface faces (down the
//                       diagonal -(1, 1, 1)); the geometry pass stores the bump tilt in the frame
//                       of the normal it stores and the lighting pass reads it back
//   cubeFaceDepth       window depth of a point at axisDistance along a cube face's axis, in the
//                       face projection of the cube shadow pass (perspective, near and far from
//                       nearFar): what a cube shadow map holds
//   sampleProbeGrid     the baked indirect light at world point p for unit normal n from the
//                       two probe textures of IndirectLightProbes (grid origin, spacing and
//                       counts as its uniforms give them): the weighted trilinear blend of the
//                       probes in open space (IrradianceProbeGrid::sample); false where none is
inline constexpr const char* shaderFunctions = R"(vec3 srgbToLinear(vec3 c) {
    c = clamp(c, 0.0, 1.0);
    vec3 t = (c + 0.055) / 1.055;
    vec3 s = sqrt(t);
    vec3 curve = t * t * (0.0738652344 + s * (1.0727177188 - 0.1465829532 * s));
    return mix(c / 12.92, curve, step(0.04045, c));
}
vec3 linearToSrgb(vec3 c) {
    c = clamp(c, 0.0, 1.0);
    vec3 s1 = sqrt(c);
    vec3 s2 = sqrt(s1);
    vec3 s3 = sqrt(s2);
    vec3 curve = 0.585122381 * s1 + 0.783140355 * s2 - 0.368262736 * s3;
    return mix(c * 12.92, curve, step(0.0031308, c));
}
vec3 toneMap(vec3 radiance) {
    // The curve's x = exposed radiance, with the exposure folded into its quadratic terms as a
    // compiler folds a constant exposure: the same rounding whether it is a constant or not.
    vec3 m = max(radiance, 0.0);
    vec3 x = m * toneMapExposure;
    vec3 numerator = x * (m * (2.51 * toneMapExposure) + 0.03);
    vec3 denominator = x * (m * (2.43 * toneMapExposure) + 0.59) + 0.14;
    return clamp(numerator / denominator, 0.0, 1.0);
}
vec3 inverseToneMap(vec3 y) {
    y = clamp(y, 0.0, 1.0);
    vec3 a = 2.51 - 2.43 * y;
    vec3 b = 0.03 - 0.59 * y;
    vec3 x = (-b + sqrt(b * b + 4.0 * a * 0.14 * y)) / (2.0 * a);
    return x / toneMapExposure;
}
vec3 radianceToDisplay(vec3 radiance) {
    return linearToSrgb(toneMap(radiance));
}
vec3 displayToRadiance(vec3 display) {
    return inverseToneMap(srgbToLinear(display));
}
vec3 ditherDisplay(vec3 display, vec2 pixel) {
    float noise = fract(52.9829189 * fract(dot(pixel.yx, vec2(0.06711056, 0.00583715))));
    return clamp(display + (noise - 0.5) * (0.999 / 255.0), 0.0, 1.0);
}
vec3 outputColor(vec3 radiance, vec2 pixel) {
    return ditherDisplay(radianceToDisplay(radiance), pixel);
}
vec3 litTargetColor(vec3 radiance, int toneMapOutput, vec2 pixel) {
    return toneMapOutput != 0 ? outputColor(radiance, pixel) : radiance;
}
vec3 brightParts(vec3 radiance) {
    float brightness = max(max(radiance.r, radiance.g), radiance.b) * toneMapExposure;
    float knee = clamp(brightness - bloomThreshold + bloomKnee, 0.0, 2.0 * bloomKnee);
    knee = knee * knee / (4.0 * bloomKnee);
    return radiance * (max(knee, brightness - bloomThreshold) / max(brightness, 1e-4));
}
bool sampleProbeGrid(sampler3D lightProbes, sampler3D directionProbes, vec3 origin, float spacing,
                     vec3 counts, vec3 p, vec3 n, out vec3 light) {
    vec3 uvw = ((p - origin) / spacing + 0.5) / counts;
    vec4 blended = textureLod(lightProbes, uvw, 0.0);
    vec4 direction = textureLod(directionProbes, uvw, 0.0);
    vec3 towards = direction.w > 1e-6 ? direction.xyz / direction.w : vec3(0.0);
    light = blended.rgb / max(blended.a, 1e-3) * max(1.0 + dot(towards, n), 0.0);
    return blended.a > 1e-3;
}
vec3 paneTransmission(vec4 pane) {
    return mix(vec3(1.0), srgbToLinear(pane.rgb), clamp(pane.a, 0.0, 1.0));
}
vec3 gBufferNormal(vec3 n) {
    vec3 rounded = uintBitsToFloat((floatBitsToUint(n) + 0x1000u) & 0xFFFFE000u);
    return mix(rounded, vec3(0.0), lessThan(abs(n), vec3(6.103515625e-05)));
}
void tangentFrame(vec3 n, out vec3 tangent, out vec3 bitangent) {
    // Frisvad's frame about the axis a = (1, 1, 1) / sqrt(3), in the basis (e1, e2, a).
    const vec3 e1 = vec3(0.707106781, -0.707106781, 0.0);
    const vec3 e2 = vec3(0.408248290, 0.408248290, -0.816496581);
    const vec3 a = vec3(0.577350269);
    vec3 m = vec3(dot(n, e1), dot(n, e2), dot(n, a));
    float s = 1.0 / max(1.0 + m.z, 1e-6);
    float xy = -m.x * m.y * s;
    tangent = (1.0 - m.x * m.x * s) * e1 + xy * e2 - m.x * a;
    bitangent = xy * e1 + (1.0 - m.y * m.y * s) * e2 - m.y * a;
}
float cubeFaceDepth(float axisDistance, vec2 nearFar) {
    float n = nearFar.x;
    float f = nearFar.y;
    return 0.5 * ((f + n) / (f - n) - 2.0 * f * n / ((f - n) * axisDistance)) + 0.5;
}
)";
