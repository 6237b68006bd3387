#version 330 core
// Debug view, fragment stage: one of the frame's buffers drawn over the whole output in a form a
// person can read.
//   in  texCoord          vec2, 0..1 over the output, (0, 0) at the bottom left
//   uniform view          int, the view's number, VIEW_WORLD_POSITION ... VIEW_INDIRECT_LIGHT
//                         as defined by the shader registry
//   uniform image         sampler2D unit 0, the buffer of the 2D views (positions in world
//                         space with w = 1 where a surface was drawn, w = 0 elsewhere; normals
//                         of length 0 where none was; the linear albedo; the colored shadow map
//                         with the windows' transmission in rgb and the lit surface's depth in
//                         world units in a)
//   uniform cubeMap       samplerCube unit 1, the cube-map view: window depth of the face projection
//   uniform cubeNearFar   vec2, the cube-map view: near and far of that projection
//   uniform normalImage   sampler2D unit 2, the indirect-light view: the G-buffer's world normals
//                         (length 0 where no surface was drawn)
//   uniform probeLight, probeDirection, probeGridOrigin, probeGridSpacing, probeGridCounts
//                         the indirect-light view: the baked indirect light (units 3 and 4; see
//                         deferredRenderPass.frag), shown as a white surface without bumps or
//                         occlusion would reflect it
//   uniform hasData       int, 0: the buffer was never rendered (the indirect-light view: no
//                         probes were loaded); a grey stripe pattern says so
//   uniform outputSize    vec2, output size in pixels (the cube map's cross keeps square faces)
//   out location 0 color  vec4, the view's colour with alpha 1
in vec2 texCoord;

uniform int view;
uniform sampler2D image;
uniform samplerCube cubeMap;
uniform vec2 cubeNearFar;
uniform sampler2D normalImage;
uniform sampler3D probeLight;
uniform sampler3D probeDirection;
uniform vec3 probeGridOrigin;
uniform float probeGridSpacing;
uniform vec3 probeGridCounts;
uniform int hasData;
uniform vec2 outputSize;

layout(location = 0) out vec4 color;

const float positionBand = 8.0; // world units per colour cycle of the position view
const float depthShade = 40.0;  // light-view depth, world units, at which the map is darkest

vec3 noData() {
    float stripe = mod(floor((gl_FragCoord.x + gl_FragCoord.y) / 12.0), 2.0);
    return vec3(mix(0.18, 0.32, stripe));
}

// High dynamic range to 0..1 without clipping the bright parts.
vec3 compress(vec3 value) {
    return vec3(1.0) - exp(-max(value, vec3(0.0)));
}

// The cube unfolded as a cross of square faces, centred: middle row -X, -Z, +X, +Z (left, front,
// right, back as seen from the light looking down -Z), +Y above and -Y below the front face.
vec3 crossDirection(vec2 pixel, out bool inside) {
    float cell = min(outputSize.x / 4.0, outputSize.y / 3.0);
    vec2 grid = (pixel - 0.5 * (outputSize - vec2(4.0, 3.0) * cell)) / cell;
    ivec2 face = ivec2(floor(grid));
    vec2 uv = fract(grid) * 2.0 - 1.0;
    inside = true;
    if (face.y == 1 && face.x == 0) return vec3(-1.0, uv.y, -uv.x);
    if (face.y == 1 && face.x == 1) return vec3(uv.x, uv.y, -1.0);
    if (face.y == 1 && face.x == 2) return vec3(1.0, uv.y, uv.x);
    if (face.y == 1 && face.x == 3) return vec3(-uv.x, uv.y, 1.0);
    if (face.y == 2 && face.x == 1) return vec3(uv.x, 1.0, uv.y);
    if (face.y == 0 && face.x == 1) return vec3(uv.x, -1.0, -uv.y);
    inside = false;
    return vec3(0.0, 0.0, -1.0);
}

// The baked indirect light at world position p on a surface of normal n (length 0: no surface,
// black), as a white surface shows it, looked up as the lighting pass does.
vec3 indirectLightColor(vec3 p, vec3 n) {
    if (dot(n, n) <= 0.0) {
        return vec3(0.0);
    }
    n = normalize(n);
    vec3 light = vec3(0.0);
    sampleProbeGrid(probeLight, probeDirection, probeGridOrigin, probeGridSpacing,
                    probeGridCounts, p + n * (0.5 * probeGridSpacing), n, light);
    return radianceToDisplay(light);
}

vec3 viewColor() {
    if (view == VIEW_SHADOW_CUBE_MAP) {
        bool inside;
        vec3 direction = crossDirection(gl_FragCoord.xy, inside);
        // Distance along the face axis from the window depth; near surfaces bright, far black.
        float depth = texture(cubeMap, direction).r;
        float n = cubeNearFar.x;
        float f = cubeNearFar.y;
        float axisDistance = f * n / (f - depth * (f - n));
        return inside ? vec3(1.0 - sqrt(clamp(axisDistance / f, 0.0, 1.0))) : vec3(0.0);
    }
    vec4 texel = texture(image, texCoord);
    if (view == VIEW_INDIRECT_LIGHT) {
        return indirectLightColor(texel.xyz, texture(normalImage, texCoord).xyz);
    }
    if (view == VIEW_WORLD_POSITION) {
        return texel.w > 0.0 ? fract(texel.xyz / positionBand) : vec3(0.0);
    }
    if (view == VIEW_WORLD_NORMAL) {
        return dot(texel.xyz, texel.xyz) > 0.0 ? texel.xyz * 0.5 + 0.5 : vec3(0.0);
    }
    if (view == VIEW_AMBIENT_OCCLUSION) return vec3(texel.r);
    if (view == VIEW_BLOOM) return compress(4.0 * texel.rgb); // the glow is faint beside the flames
    // The windows' transmission, darker with depth so the walls show.
    if (view == VIEW_COLORED_SHADOW_MAP) {
        return texel.rgb * mix(1.0, 0.3, clamp(texel.a / depthShade, 0.0, 1.0));
    }
    return linearToSrgb(texel.rgb); // diffuse colour
}

void main() {
    color = vec4(hasData != 0 ? viewColor() : noData(), 1.0);
}
