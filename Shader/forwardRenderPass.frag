#version 330 core
// Forward pass for the transparent windows, fragment stage: daylight through coloured glass.
// Blended with (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) over the lit image, depth-tested against the
// opaque scene's depth. Both outputs carry the same alpha, because the HDR target has two draw
// buffers while bloom is on.
//
// Only the sky lies behind the panes, so a pane shows the daylight it transmits, not a blend
// with the sky's colour: its transmission T (paneTransmission, the same as the tint the colored
// shadow map casts), taken as the linear display colour of backlit glass. Its radiance is the one
// the end of the frame's tone mapping maps back to T (dimmed by transmittedShare), and it covers
// what lies behind it (alpha 1), so the glass reads the same with and without bloom, minus the
// glow.
//   in  texCoord            vec2
//   uniform hasColorTexture int, 1: colour and coverage from color_texture (unit 0)
//   uniform color           vec4, pane colour (sRGB rgb) and opacity (a) without a colour texture
//   uniform color_texture   sampler2D, sRGB-encoded colour image
//   uniform toneMapOutput   int, 1: the target is the output (display values), 0: the HDR buffer
//   out location 0  litColor     vec4, the pane's radiance (or display colour), alpha 1
//   out location 1  brightColor  vec4, the pane's glow (linear radiance), alpha 1
in vec2 texCoord;

uniform int hasColorTexture;
uniform vec4 color;
uniform sampler2D color_texture;
uniform int toneMapOutput;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 brightColor;

// Share of the daylight the glass lets through towards the viewer.
const float transmittedShare = 0.8;

void main() {
    vec4 pane = hasColorTexture == 1 ? texture(color_texture, texCoord) : color;
    vec3 radiance = inverseToneMap(paneTransmission(pane)) * transmittedShare;
    litColor = vec4(litTargetColor(radiance, toneMapOutput, gl_FragCoord.xy), 1.0);
    brightColor = vec4(brightParts(radiance), 1.0);
}
