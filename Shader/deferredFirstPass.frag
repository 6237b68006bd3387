#version 330 core
// Geometry pass, fragment stage: fills the G-buffer. Drawn with the standing blend state, so all
// three outputs carry alpha 1 and replace what is there.
//
// Bump mapping needs no tangent attribute: the height map is sampled at the fragment's texture
// coordinate and its screen-space derivatives, together with those of the world position, tilt
// the normal (surface-gradient method: the height's gradient on the surface is projected out of
// the normal).
//   in  worldPosition, worldNormal  vec3, world space
//   in  texCoord                    vec2
//   uniform hasColorTexture         int, 1: diffuse colour from color_texture (unit 0)
//   uniform color                   vec4, flat diffuse colour when there is no colour texture
//   uniform color_texture           sampler2D
//   uniform hasBumpMapTexture       int, 1: bumpmap_texture (unit 1) holds a height map (red)
//   uniform bumpmap_texture         sampler2D
//   uniform bumpMappingEnabled      int, 0 switches bump mapping off
//   out location 0  gPosition       vec4, world-space position, w = 1
//   out location 1  gNormal         vec4, world-space unit normal, w = 1
//   out location 2  gDiffuse        vec4, diffuse colour, a = 1
in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;

uniform int hasColorTexture;
uniform vec4 color;
uniform sampler2D color_texture;
uniform int hasBumpMapTexture;
uniform sampler2D bumpmap_texture;
uniform int bumpMappingEnabled;

layout(location = 0) out vec4 gPosition;
layout(location = 1) out vec4 gNormal;
layout(location = 2) out vec4 gDiffuse;

// Height of a full texel step of the height map, in world units.
const float bumpHeight = 0.04;

// Tilts the unit normal n by the surface gradient of the height h (Mikkelsen's method).
vec3 perturbNormal(vec3 n, vec3 position, float h) {
    vec3 dPdx = dFdx(position);
    vec3 dPdy = dFdy(position);
    float dHdx = dFdx(h);
    float dHdy = dFdy(h);
    vec3 r1 = cross(dPdy, n);
    vec3 r2 = cross(n, dPdx);
    float det = dot(dPdx, r1);
    if (abs(det) < 1e-12) {
        return n;
    }
    vec3 gradient = sign(det) * (dHdx * r1 + dHdy * r2);
    return normalize(abs(det) * n - gradient);
}

void main() {
    vec3 n = normalize(worldNormal);
    // Sampled outside any branch so the derivatives stay defined for the whole quad.
    float height = texture(bumpmap_texture, texCoord).r * bumpHeight;
    if (bumpMappingEnabled != 0 && hasBumpMapTexture == 1) {
        n = perturbNormal(n, worldPosition, height);
    }
    vec3 diffuse = hasColorTexture == 1 ? texture(color_texture, texCoord).rgb : color.rgb;

    gPosition = vec4(worldPosition, 1.0);
    gNormal = vec4(n, 1.0);
    gDiffuse = vec4(diffuse, 1.0);
}
