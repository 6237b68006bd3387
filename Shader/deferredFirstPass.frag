#version 330 core
// Geometry pass, fragment stage: fills the G-buffer. Drawn with blending off (the renderer turns
// it off for this pass), because the alpha channels carry data, not coverage.
//
// Bump mapping needs no tangent attribute: the surface's tangent directions come from the screen
// derivatives of the world position and the texture coordinate (both interpolated, so smooth
// over a triangle), and the height's slopes from the slope map derived from the height map at
// load (one filtered tap; its mipmaps average the slopes over a minified pixel's footprint).
// The tilt is the height's surface gradient, stored in the fixed tangent frame (tangentFrame) of
// the interpolated normal as stored (gBufferNormal: what the lighting pass reads), so that the
// lighting pass rebuilds the bumped normal in the same frame while ambient occlusion and shadow
// offsets keep the smooth one.
//   in  worldPosition, worldNormal  vec3, world space
//   in  texCoord                    vec2
//   uniform hasColorTexture         int, 1: diffuse colour from color_texture (unit 0)
//   uniform color                   vec4, flat diffuse colour (sRGB) without a colour texture
//   uniform color_texture           sampler2D, sRGB-encoded colour image
//   uniform hasBumpMapTexture       int, 1: the mesh has a height map (bumpmap_texture, unit 1,
//                                   red; not read here) and so its slopes
//   uniform bumpmap_texture         sampler2D, the height map
//   uniform bumpSlope_texture       sampler2D unit 2, the height map's slopes: rg = dh/ds, dh/dt
//                                   in height (0..1) per texel of level 0
//   uniform bumpMappingEnabled      int, 0 switches bump mapping off
//   out location 0  gPosition       vec4, world-space position, w = 1
//   out location 1  gNormal         vec4, xyz: world-space unit normal of the surface without
//                                   bumps; w: bump tilt along tangentFrame's tangent
//   out location 2  gDiffuse        vec4, rgb: linear diffuse albedo; a: bump tilt along
//                                   tangentFrame's bitangent (bumped normal = normalize(normal -
//                                   w * tangent - a * bitangent))
in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;

uniform int hasColorTexture;
uniform vec4 color;
uniform sampler2D color_texture;
uniform int hasBumpMapTexture;
uniform sampler2D bumpmap_texture;
uniform sampler2D bumpSlope_texture;
uniform int bumpMappingEnabled;

layout(location = 0) out vec4 gPosition;
layout(location = 1) out vec4 gNormal;
layout(location = 2) out vec4 gDiffuse;

// World height of the height map's full range (red 0 .. 1).
const float bumpHeight = 0.04;

// Surface gradient of the world height at this fragment: the height's slopes along u and v from
// one tap of the slope map, carried onto the surface through the gradients of u and v
// (Mikkelsen's surface-gradient formulation).
vec3 heightGradient(vec3 n) {
    vec3 dPdx = dFdx(worldPosition);
    vec3 dPdy = dFdy(worldPosition);
    vec2 dUVdx = dFdx(texCoord);
    vec2 dUVdy = dFdy(texCoord);
    // Per texel of level 0 -> per unit of u and v; read before any pixel of the quad returns.
    vec2 dHduv = texture(bumpSlope_texture, texCoord).rg * vec2(textureSize(bumpSlope_texture, 0));
    vec3 r1 = cross(dPdy, n);
    vec3 r2 = cross(n, dPdx);
    float det = dot(dPdx, r1);
    if (abs(det) < 1e-12) {
        return vec3(0.0);
    }
    vec3 gradientU = (dUVdx.x * r1 + dUVdy.x * r2) / det;
    vec3 gradientV = (dUVdx.y * r1 + dUVdy.y * r2) / det;
    return bumpHeight * (dHduv.x * gradientU + dHduv.y * gradientV);
}

void main() {
    // The normal as the lighting pass reads it back, so that both passes take the bump tilt in
    // the same frame.
    // An interpolated normal of zero length (opposite vertex normals, or none) falls back to
    // the face's own normal, towards the viewer.
    vec3 faceNormal = cross(dFdx(worldPosition), dFdy(worldPosition));
    vec3 normal = dot(worldNormal, worldNormal) > 1e-12 ? worldNormal : faceNormal;
    vec3 storedNormal = gBufferNormal(normal * inversesqrt(max(dot(normal, normal), 1e-30)));
    vec3 n = normalize(storedNormal);
    vec2 tilt = vec2(0.0);
    if (bumpMappingEnabled != 0 && hasBumpMapTexture == 1) {
        vec3 gradient = heightGradient(n);
        vec3 tangent;
        vec3 bitangent;
        tangentFrame(n, tangent, bitangent);
        tilt = vec2(dot(gradient, tangent), dot(gradient, bitangent));
    }
    vec3 diffuse = hasColorTexture == 1 ? texture(color_texture, texCoord).rgb : color.rgb;

    gPosition = vec4(worldPosition, 1.0);
    gNormal = vec4(storedNormal, tilt.x);
    gDiffuse = vec4(srgbToLinear(diffuse), tilt.y);
}
