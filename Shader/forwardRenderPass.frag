#version 330 core
// Forward pass for the transparent windows, fragment stage: daylight through coloured glass.
// Blended with (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) over the lit image, depth-tested against the
// opaque scene's depth. Both outputs carry the pane's alpha, because the HDR target has two draw
// buffers while bloom is on.
//   in  texCoord            vec2
//   uniform hasColorTexture int, 1: colour and coverage from color_texture (unit 0)
//   uniform color           vec4, pane colour (rgb) and opacity (a) without a colour texture
//   uniform color_texture   sampler2D
//   out location 0  displayColor  vec4, display colour of the pane with its opacity
//   out location 1  brightColor   vec4, a faint glow of the backlit glass with the same alpha
in vec2 texCoord;

uniform int hasColorTexture;
uniform vec4 color;
uniform sampler2D color_texture;

layout(location = 0) out vec4 displayColor;
layout(location = 1) out vec4 brightColor;

const float glow = 0.15;

void main() {
    vec4 pane = hasColorTexture == 1 ? texture(color_texture, texCoord) : color;
    float alpha = clamp(pane.a, 0.0, 1.0);
    displayColor = vec4(pane.rgb, alpha);
    brightColor = vec4(pane.rgb * glow, alpha);
}
