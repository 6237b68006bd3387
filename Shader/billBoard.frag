#version 330 core
// Fire billboard, fragment stage. Drawn in the forward pass with blending
// (SRC_ALPHA, ONE_MINUS_SRC_ALPHA).
// in  vec2        texCoord: [0,1]^2 across the quad, v = 0 at the bottom
// uniform sampler2D color_texture: unit 0, the current page of the flame animation (sRGB RGBA)
// uniform int     toneMapOutput: 1, the target is the output (display values); 0, the HDR buffer
// uniform float   flameGlowStrength: scale of the glow (a tunable, declared by the registry)
// out location 0  fragColor: the flame's radiance (or display colour) with its coverage in alpha
// out location 1  glowColor: the flame's glow for bloom (linear radiance), with the same alpha
// Fully transparent texels are discarded. A GIF's transparency is 1-bit, so the coverage is
// softened by the texel's brightness: dark fringes around the flame fade out instead of
// showing as a hard-edged dark halo. The flame emits: its radiance is the one the end of the frame
// maps back to the image's colour, and all of it above the threshold glows.
in vec2 texCoord;

uniform sampler2D color_texture;
uniform int toneMapOutput;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 glowColor;

void main() {
    vec4 texel = texture(color_texture, texCoord);
    float brightness = max(texel.r, max(texel.g, texel.b));
    float alpha = texel.a * smoothstep(0.02, 0.5, brightness);
    if (alpha <= 0.0) {
        discard;
    }
    vec3 radiance = displayToRadiance(texel.rgb);
    fragColor = vec4(litTargetColor(radiance, toneMapOutput, gl_FragCoord.xy), alpha);
    glowColor = vec4(brightParts(radiance) * flameGlowStrength, alpha);
}
