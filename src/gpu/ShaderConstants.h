// ShaderConstants: the numbers that the C++ passes and the GLSL files must agree on. Each is
// written once, here; the shader registry hands every stage the whole table as #defines right
// after its #version line, so a shader never repeats a value.
#pragma once

// Face size in texels of every cube shadow map and of the light-view depth and colour maps.
constexpr int shadowMapSize = 512;

// One constant as the shaders see it: #define <name> <value>.
struct ShaderConstant {
    const char* name;
    int value;
};

inline constexpr ShaderConstant shaderConstants[] = {
    {"SHADOW_MAP_SIZE", shadowMapSize},
};
