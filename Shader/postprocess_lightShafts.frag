#version 330 core
// Volumetric light shafts ("lightShaft"): a radial blur from each pixel towards the light, so
// bright parts of the input are smeared away from the light along its rays.
// in  texCoord: 0..1 over the target, (0, 0) at the bottom left
// uniform sampler2D image: input, read from unit 0 (its default; nobody sets it)
// uniform vec2 lightPositionOnScreen: light in target pixels, x from the left, y from the TOP
// uniform float exposure: scale of the accumulated sum
// uniform float decay: attenuation per step along the ray
// uniform float density: fraction of the pixel-to-light distance the steps cover
// uniform float weight: contribution of each sample
// uniform int firstPass: 0 = radial blur; any other value passes the input through
// out location 0: rgb = scattered light; alpha 1
in vec2 texCoord;

uniform sampler2D image;
uniform vec2 lightPositionOnScreen;
uniform float exposure;
uniform float decay;
uniform float density;
uniform float weight;
uniform int firstPass;

layout(location = 0) out vec4 fragColor;

const int sampleCount = 100;

// The light in texture coordinates of the target (y flipped from top-left pixels).
vec2 lightTexCoord() {
    vec2 targetTexel = vec2(abs(dFdx(texCoord.x)), abs(dFdy(texCoord.y)));
    vec2 light = lightPositionOnScreen * targetTexel;
    return vec2(light.x, 1.0 - light.y);
}

void main() {
    vec2 sourceTexel = 1.0 / vec2(textureSize(image, 0));
    vec2 lowest = 0.5 * sourceTexel;
    vec2 highest = 1.0 - 0.5 * sourceTexel;
    if (firstPass != 0) {
        fragColor = vec4(texture(image, texCoord).rgb, 1.0);
        return;
    }
    vec2 delta = (texCoord - lightTexCoord()) * (density / float(sampleCount));
    vec2 uv = texCoord;
    float attenuation = 1.0;
    vec3 sum = vec3(0.0);
    for (int i = 0; i < sampleCount; ++i) {
        uv -= delta;
        sum += texture(image, clamp(uv, lowest, highest)).rgb * attenuation * weight;
        attenuation *= decay;
    }
    fragColor = vec4(sum * exposure, 1.0);
}
