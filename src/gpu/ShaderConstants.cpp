// ShaderConstants: the table the shaders get, and its GLSL spelling. Floats are written with as
// few digits as give back the same float, so the shaders see exactly the C++ values.
#include "gpu/ShaderConstants.h"

#include "base/DebugView.h"
#include "gpu/Tunables.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

ShaderConstant integer(std::string name, int value) {
    return {std::move(name), 0, value, {}};
}

ShaderConstant real(std::string name, float value) {
    return {std::move(name), 1, 0, {value}};
}

ShaderConstant vec2(std::string name, const float (&value)[2]) {
    return {std::move(name), 2, 0, {value[0], value[1]}};
}

ShaderConstant vec3(std::string name, const float (&value)[3]) {
    return {std::move(name), 3, 0, {value[0], value[1], value[2]}};
}

// The shortest decimal that reads back as `value`, always with a decimal point or exponent, as
// GLSL needs for a float literal.
std::string floatLiteral(float value) {
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    std::string literal = text;
    if (literal.find_first_of(".e") == std::string::npos) {
        literal += ".0";
    }
    return literal;
}

std::string declaration(const ShaderConstant& constant) {
    if (constant.components == 0) {
        return "#define " + constant.name + " " + std::to_string(constant.integer) + "\n";
    }
    if (constant.components == 1) {
        return "const float " + constant.name + " = " + floatLiteral(constant.vector[0]) + ";\n";
    }
    std::string type = "vec" + std::to_string(constant.components);
    std::string values;
    for (int i = 0; i < constant.components; ++i) {
        values += (i > 0 ? ", " : "") + floatLiteral(constant.vector[i]);
    }
    return "const " + type + " " + constant.name + " = " + type + "(" + values + ");\n";
}

std::vector<ShaderConstant> buildTable() {
    std::vector<ShaderConstant> table = {
        integer("SHADOW_MAP_SIZE", shadowMapSize),
        integer("MAX_LIGHTS", maxLights),
        vec3("skyColor", skyColor),
        real("lightViewFieldOfView", lightViewFieldOfView),
        vec3("drumCentre", drumCentre),
        vec3("drumDaylightColor", drumDaylightColor),
        real("drumDaylightStrength", drumDaylightStrength),
        real("drumReach", drumReach),
        vec2("drumFadeIn", drumFadeIn),
        vec2("drumFadeOut", drumFadeOut),
    };
    for (int mode = 0; mode < kLightModeCount; ++mode) {
        table.push_back(integer(lightModeNames[mode], mode));
    }
    for (const DebugViewRow& row : debugViews) {
        table.push_back(integer(debugViewConstant(row.view), static_cast<int>(row.view)));
    }
    return table;
}

} // namespace

const std::vector<ShaderConstant>& shaderConstants() {
    static const std::vector<ShaderConstant> table = buildTable();
    return table;
}

std::string shaderConstantLines() {
    std::string lines;
    for (const ShaderConstant& constant : shaderConstants()) {
        lines += declaration(constant);
    }
    for (const Tunable& tunable : tunables()) {
        lines += "uniform float " + std::string(tunable.uniform) + " = " +
                 floatLiteral(tunable.start) + ";\n";
    }
    return lines;
}
