#version 330 core
// Lighting pass, fragment stage: shades every G-buffer pixel with all point lights, the daylight
// of the crossing's drum and, with colored shadows on, the daylight that the light view sends
// through the windows. Works on linear radiance.
//
//   in  screenUV                  vec2, 0..1 across the target (unused: the G-buffer is read
//                                 by pixel, it has the target's size)
//   uniform gWorldPosition        sampler2D unit 0, world-space position (w = 1 on geometry)
//   uniform gWorldNormal          sampler2D unit 1, xyz: world-space normal without bumps
//                                 (length 0: no geometry), w: bump tilt (deferredFirstPass.frag)
//   uniform gDiffuse              sampler2D unit 2, rgb: linear albedo, a: bump tilt
//   uniform gAmbient              sampler2D unit 3, ambient occlusion (red, 1 = unoccluded)
//   uniform shadowMaps[MAX_LIGHTS] samplerCubeShadow units 4..10 (comparison sampler, LEQUAL):
//                                 window depth of each face's projection per light, near and
//                                 far from near_far (see omnidirectionalShadowMap_FirstPass.frag)
//   uniform colorShadowMap        sampler2D unit 11, colored shadow map (see drawShadowMap.frag:
//                                 rgb = window transmission, a = linear depth in world units)
//   uniform lightViewProjectionMatrix  mat4, world -> (s, t, depth) in [0, 1] of that map; its
//                                 w row gives the light view's linear depth
//   uniform lightViewPosition     vec3, world-space position of the light view
//   uniform lights[MAX_LIGHTS]    world-space position, color, linear, quadratic, radius and
//                                 near_far (depth range of the light's cube map); a light with
//                                 radius 0 (never set) does nothing
//   uniform probeLight, probeDirection  sampler3D units 12 and 13, the baked indirect light
//                                 (IndirectLightProbes; sampleProbeGrid reads them)
//   uniform probeGridOrigin       vec3, world position of the grid's first probe
//   uniform probeGridSpacing      float, world units between neighbouring probes
//   uniform probeGridCounts       vec3, probes along x, y and z
//   uniform indirectLightBaked    int, 0: no probes were loaded, the ambient term is the constant
//                                 share ambientStrength of the albedo
//   uniform eyePosition           vec3, world-space camera position
//   uniform inverseViewMatrix     mat4, view -> world (not needed: eyePosition suffices)
//   uniform ssaoEnabled           int, 1: weight the ambient term by gAmbient
//   uniform omniDirShadowsEnabled int, 1: the cube maps shadow the lights
//   uniform colorShadowsEnabled   int, 1: add the daylight through the windows
//   uniform lightMode             int, AMBIENT_DIFFUSE_SPECULAR, AMBIENT_DIFFUSE or AMBIENT (the
//                                 baked indirect light alone; the drum's daylight is direct
//                                 light and goes with the lamps)
//   uniform toneMapOutput         int, 1: the target is the output, so location 0 gets display
//                                 values (outputColor, dithered); 0: the HDR buffer, linear
//                                 radiance
//   out location 0  litColor      vec4, linear radiance or display colour (above), a = 1
//   out location 1  brightColor   vec4, linear radiance above the bloom threshold, a = 1
//   tunables (uniform floats declared by the shader registry): pointShadowBias and
//   windowShadowBias (constant depth offsets of the shadow comparisons, world units),
//   indirectStrength (scale of the baked light), ambientStrength (share of the albedo lit
//   where none was baked), specularStrength (scale of the highlights), and the exposure and
//   bloom parameters that toneMap and brightParts read
//   defined by the shader registry: SHADOW_MAP_SIZE (face size of the cube maps), MAX_LIGHTS,
//   the light modes, skyColor (display colour where no geometry is), lightViewFieldOfView
//   (degrees, vertical, of the light view) and cubeFaceDepth (the cube maps' depth convention)
in vec2 screenUV;

struct PointLight {
    vec3 position;
    vec3 color;
    float linear;
    float quadratic;
    float radius;
    vec2 near_far;
};

uniform sampler2D gWorldPosition;
uniform sampler2D gWorldNormal;
uniform sampler2D gDiffuse;
uniform sampler2D gAmbient;
uniform samplerCubeShadow shadowMaps[MAX_LIGHTS];
uniform sampler2D colorShadowMap;
uniform mat4 lightViewProjectionMatrix;
uniform vec3 lightViewPosition;
uniform PointLight lights[MAX_LIGHTS];
uniform sampler3D probeLight;
uniform sampler3D probeDirection;
uniform vec3 probeGridOrigin;
uniform float probeGridSpacing;
uniform vec3 probeGridCounts;
uniform int indirectLightBaked;
uniform vec3 eyePosition;
uniform mat4 inverseViewMatrix;
uniform int ssaoEnabled;
uniform int omniDirShadowsEnabled;
uniform int colorShadowsEnabled;
uniform int lightMode;
uniform int toneMapOutput;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 brightColor;

// Specular: normalised Blinn-Phong of shininess 32 with Schlick's Fresnel for a dielectric (a
// reflectance of 0.04 head-on); the lobe's normalisation (shininess + 8) / 8 keeps its energy
// (the diffuse term's 1 / pi is folded into the light values, so the lobe's is too).
const float shininess = 32.0;
const float normalReflectance = 0.04;
// x^32, the shininess: five squarings instead of a general power.
float specularPower(float x) {
    float x2 = x * x;
    float x4 = x2 * x2;
    float x8 = x4 * x4;
    float x16 = x8 * x8;
    return x16 * x16;
}
// Daylight through the drum's windows (drumCentre, drumReach and its fades are shared
// constants): it lights the dome's shell, the drum's piers and the crossing's vaults, and fades
// out below the vaults' springing and beyond the crossing.
const vec3 drumDaylight = drumDaylightColor * drumDaylightStrength;
// Daylight arriving through the windows from the light view, before the glass's transmission.
const vec3 windowDaylight = vec3(1.0, 0.95, 0.85) * 1.2;
// Height of the light view's image per unit of depth.
const float lightViewSpan = 2.0 * tan(radians(0.5 * lightViewFieldOfView));
// Face size of the cube maps: one texel spans about 2 / cubeFaceSize radians.
const float cubeFaceSize = float(SHADOW_MAP_SIZE);

// Taps of the shadow filter: a golden-angle spiral over the unit disk, rotated per pixel.
const int shadowTaps = 3;
const float goldenAngle = 2.39996323;

// Per-pixel rotation of the shadow taps (interleaved gradient noise): neighbouring pixels use
// different tap sets, so the few taps give a fine grain instead of banded penumbrae.
vec2 tapRotation() {
    float angle = 6.2831853 * fract(52.9829189 * fract(dot(gl_FragCoord.xy,
                                                           vec2(0.06711056, 0.00583715))));
    return vec2(cos(angle), sin(angle));
}

// Fraction of the light reaching p (0 shadowed .. 1 lit), percentage-closer filtered: each tap
// is a comparison lookup (the sampler compares four texels with the tap's own reference depth
// and then filters the results), and the taps lie on a disk in the surface's tangent plane
// spanned by diskU and diskV (unit, in the tangent plane, rotated per pixel). The disk is lifted
// off the surface along the normal by about a texel, so a sloped surface does not shadow itself
// (no acne) without a depth offset large enough to detach shadows from their casters (no
// peter-panning); the remaining bias covers the 24-bit depth steps, about 6e-5 d^2 units at d units from the light. Each tap's
// reference depth is taken along its own major axis, the axis whose face the lookup reads.
float cubeShadow(samplerCubeShadow shadowMap, vec3 p, vec3 n, vec3 diskU, vec3 diskV,
                 vec3 lightPosition, float distanceToLight, vec2 nearFar) {
    float texel = distanceToLight * 2.0 / cubeFaceSize;
    float spread = 1.5 * texel;
    vec3 lifted = p + n * spread - lightPosition;
    float bias = 0.5 * texel + pointShadowBias + 1e-4 * distanceToLight * distanceToLight;
    vec3 t = diskU * spread;
    vec3 b = diskV * spread;
    float lit = 0.0;
    for (int k = 0; k < shadowTaps; ++k) {
        float radius = sqrt((float(k) + 0.5) / float(shadowTaps));
        float angle = float(k) * goldenAngle;
        vec3 q = lifted + radius * (cos(angle) * t + sin(angle) * b);
        vec3 axes = abs(q);
        float axisDistance = max(axes.x, max(axes.y, axes.z));
        float reference = cubeFaceDepth(axisDistance - bias, nearFar);
        // Explicit zero gradients: the map has one level, and the lookup may sit in a branch.
        lit += textureGrad(shadowMap, vec4(q, reference), vec3(0.0), vec3(0.0));
    }
    return lit * (1.0 / float(shadowTaps));
}

// Diffuse and specular light of one point light at p with its cube shadow map. n is the bumped
// normal that shades, ng the smooth one that places the shadow taps (with its tangent plane). A
// point beyond the light's radius or facing away from it returns at once: on a GPU a whole group
// of pixels outside the light skips the shadow lookups (llvmpipe runs both sides either way).
vec3 shadeLight(int i, samplerCubeShadow shadowMap, vec3 p, vec3 n, vec3 ng, vec3 diskU,
                vec3 diskV, vec3 v, vec3 albedo) {
    vec3 toLight = lights[i].position - p;
    // A light on the surface itself lights nothing there (no direction, no division by 0).
    float d = max(length(toLight), 1e-4);
    vec3 l = toLight / d;
    float nDotL = dot(n, l);
    if (d >= lights[i].radius || nDotL <= 0.0) {
        return vec3(0.0);
    }
    float attenuation = 1.0 / (1.0 + lights[i].linear * d + lights[i].quadratic * d * d);
    // Windowed to reach 0 at the radius with zero slope, (1 - (d / radius)^4)^2: the fall-off
    // only flattens towards its end and never steepens into a ring (a fade over the last part
    // of the radius halves the light where it is as bright as the ambient term).
    float reach = d / lights[i].radius;
    float window = clamp(1.0 - reach * reach * reach * reach, 0.0, 1.0);
    attenuation *= window * window;
    float shadow = omniDirShadowsEnabled != 0
                       ? cubeShadow(shadowMap, p, ng, diskU, diskV, lights[i].position, d,
                                    lights[i].near_far)
                       : 1.0;
    vec3 light = lights[i].color * (attenuation * shadow);
    // l + v vanishes where the light is straight behind the surface as seen from the eye.
    vec3 halfway = l + v;
    vec3 h = halfway * inversesqrt(max(dot(halfway, halfway), 1e-12));
    float specular = 0.0;
    if (lightMode == AMBIENT_DIFFUSE_SPECULAR) {
        float grazing = 1.0 - clamp(dot(v, h), 0.0, 1.0);
        float grazing2 = grazing * grazing;
        float fresnel =
            normalReflectance + (1.0 - normalReflectance) * grazing2 * grazing2 * grazing;
        specular = specularStrength * fresnel * ((shininess + 8.0) / 8.0) * specularPower(max(dot(n, h), 0.0));
    }
    // Both terms weighed by the cosine, so a highlight fades out at the terminator.
    return (albedo + specular) * (nDotL * light);
}

// Diffuse daylight of the drum's windows at p (no shadow: the drum sees the whole crossing).
vec3 drumLight(vec3 p, vec3 n, vec3 albedo) {
    vec3 toDrum = drumCentre - p;
    float d = max(length(toDrum), 1e-4);
    float falloff = 1.0 / (1.0 + (d / drumReach) * (d / drumReach));
    float across = length(p.xz - drumCentre.xz);
    float reach = smoothstep(drumFadeIn.x, drumFadeIn.y, p.y) *
                  (1.0 - smoothstep(drumFadeOut.x, drumFadeOut.y, across));
    return albedo * drumDaylight * max(dot(n, toDrum / d), 0.0) * falloff * reach;
}

// Transmission of the windows towards p from the light view, 0 where an opaque surface nearer to
// the light hides p. The map is read with nearest filtering; four texels are compared with p's
// depth first and their results filtered bilinearly after (percentage-closer filtering), so the
// edges of the lit patches are soft. p is lifted along the smooth normal ng by about a texel and
// compared with a small bias, so a lit surface does not shadow itself.
vec3 windowTransmission(vec3 p, vec3 ng) {
    float depth = dot(transpose(lightViewProjectionMatrix)[3], vec4(p, 1.0));
    if (depth <= 0.0) {
        return vec3(0.0);
    }
    vec2 size = vec2(textureSize(colorShadowMap, 0));
    // World size of one texel at this depth.
    float texel = depth * lightViewSpan / size.y;
    vec4 q = lightViewProjectionMatrix * vec4(p + ng * (1.5 * texel), 1.0);
    vec2 st = q.xy / q.w;
    if (any(lessThan(st, vec2(0.0))) || any(greaterThan(st, vec2(1.0)))) {
        return vec3(0.0);
    }
    float compared = q.w - (0.5 * texel + windowShadowBias);
    vec2 position = st * size - 0.5;
    vec2 f = fract(position);
    ivec2 base = ivec2(floor(position));
    ivec2 last = ivec2(size) - 1;
    vec4 t00 = texelFetch(colorShadowMap, clamp(base, ivec2(0), last), 0);
    vec4 t10 = texelFetch(colorShadowMap, clamp(base + ivec2(1, 0), ivec2(0), last), 0);
    vec4 t01 = texelFetch(colorShadowMap, clamp(base + ivec2(0, 1), ivec2(0), last), 0);
    vec4 t11 = texelFetch(colorShadowMap, clamp(base + ivec2(1, 1), ivec2(0), last), 0);
    vec3 c00 = t00.rgb * step(compared, t00.a);
    vec3 c10 = t10.rgb * step(compared, t10.a);
    vec3 c01 = t01.rgb * step(compared, t01.a);
    vec3 c11 = t11.rgb * step(compared, t11.a);
    return clamp(mix(mix(c00, c10, f.x), mix(c01, c11, f.x), f.y), 0.0, 1.0);
}

// Daylight of the light view reaching p through the windows, in the glass's colours.
vec3 windowLight(vec3 p, vec3 n, vec3 ng, vec3 albedo) {
    vec3 l = normalize(lightViewPosition - p);
    float facing = dot(ng, l) > 0.0 ? max(dot(n, l), 0.0) : 0.0;
    return albedo * windowDaylight * windowTransmission(p, ng) * facing;
}

// Light that reached p from other surfaces, for the bumped normal n: the baked probes, looked up
// half a probe spacing off the surface along the smooth normal ng (so the blend takes the probes
// in front of the surface, not those inside the wall behind it), else the constant share.
vec3 indirectLight(vec3 p, vec3 ng, vec3 n) {
    vec3 light;
    if (indirectLightBaked != 0 &&
        sampleProbeGrid(probeLight, probeDirection, probeGridOrigin,
                        probeGridSpacing, probeGridCounts, p + ng * (0.5 * probeGridSpacing), n,
                        light)) {
        return light * indirectStrength;
    }
    return vec3(ambientStrength);
}

void writeOutputs(vec3 radiance, vec3 bright) {
    litColor = vec4(litTargetColor(radiance, toneMapOutput, gl_FragCoord.xy), 1.0);
    brightColor = vec4(bright, 1.0);
}

void main() {
    // The G-buffer and the occlusion target have the lighting target's size: one texel per pixel.
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec4 normalTexel = texelFetch(gWorldNormal, pixel, 0);
    if (dot(normalTexel.xyz, normalTexel.xyz) < 1e-8) {
        // The sky keeps its display colour after the end of the frame's tone mapping.
        litColor = vec4(toneMapOutput != 0 ? ditherDisplay(skyColor, gl_FragCoord.xy)
                                           : displayToRadiance(skyColor), 1.0);
        brightColor = vec4(0.0, 0.0, 0.0, 1.0);
        return;
    }
    vec4 diffuseTexel = texelFetch(gDiffuse, pixel, 0);
    vec3 ng = normalize(normalTexel.xyz);
    // The shadow taps' tangent plane, shared by all lights, and the frame of the bump tilt.
    vec3 tangent;
    vec3 bitangent;
    tangentFrame(ng, tangent, bitangent);
    vec3 n = normalize(ng - normalTexel.w * tangent - diffuseTexel.a * bitangent);
    vec3 p = texelFetch(gWorldPosition, pixel, 0).xyz;
    vec3 albedo = diffuseTexel.rgb;
    vec3 v = normalize(eyePosition - p);

    float occlusion = ssaoEnabled != 0 ? texelFetch(gAmbient, pixel, 0).r : 1.0;
    // Light bounced around the interior: present in every light mode.
    vec3 radiance = albedo * indirectLight(p, ng, n) * occlusion;
    if (lightMode != AMBIENT) {
        radiance += drumLight(p, n, albedo) * occlusion;
        // The shadow taps' disk axes, shared by all lights: the tangent plane rotated per pixel.
        vec2 rotation = tapRotation();
        vec3 diskU = rotation.x * tangent + rotation.y * bitangent;
        vec3 diskV = rotation.x * bitangent - rotation.y * tangent;
        // Constant indices: GLSL 3.30 cannot index a sampler array with a loop variable.
        radiance += shadeLight(0, shadowMaps[0], p, n, ng, diskU, diskV, v, albedo);
        radiance += shadeLight(1, shadowMaps[1], p, n, ng, diskU, diskV, v, albedo);
        radiance += shadeLight(2, shadowMaps[2], p, n, ng, diskU, diskV, v, albedo);
        radiance += shadeLight(3, shadowMaps[3], p, n, ng, diskU, diskV, v, albedo);
        radiance += shadeLight(4, shadowMaps[4], p, n, ng, diskU, diskV, v, albedo);
        radiance += shadeLight(5, shadowMaps[5], p, n, ng, diskU, diskV, v, albedo);
        radiance += shadeLight(6, shadowMaps[6], p, n, ng, diskU, diskV, v, albedo);
        if (colorShadowsEnabled != 0) {
            radiance += windowLight(p, n, ng, albedo);
        }
    }
    writeOutputs(radiance, brightParts(radiance));
}
