// Tunables: the table, the values in use, their upload to the registered programs and the
// parsing of --set's NAME=VALUE.
#include "gpu/Tunables.h"

#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Start values are those the shader files held as constants before they became tunable, so a
// frame with every tunable at its start is the frame the files alone draw.
const std::vector<Tunable> table = {
    {"exposure", "toneMapExposure", 1.8f, 0.1f, 8.0f, "%.2f",
     "scale from scene radiance to the tone curve's input"},
    {"bloom-threshold", "bloomThreshold", 1.0f, 0.0f, 8.0f, "%.2f",
     "exposed brightness above which a pixel feeds the bloom fully"},
    {"bloom-knee", "bloomKnee", 0.4f, 0.01f, 2.0f, "%.2f",
     "half width of the soft knee below the threshold where the glow fades in"},
    {"bloom-strength", "bloomStrength", 0.6f, 0.0f, 4.0f, "%.2f",
     "share of the blurred bright parts added back to the image"},
    {"ssao-radius", "ssaoRadius", 1.0f, 0.05f, 4.0f, "%.2f",
     "radius of the occlusion hemisphere, world units"},
    {"ssao-bias", "ssaoBias", 0.025f, 0.0f, 0.5f, "%.3f",
     "depth margin that keeps a surface from occluding itself, world units"},
    {"ssao-strength", "ssaoStrength", 1.0f, 0.0f, 2.0f, "%.2f",
     "how much of the measured occlusion darkens the ambient term"},
    {"point-shadow-bias", "pointShadowBias", 0.02f, 0.0f, 0.5f, "%.3f",
     "constant depth offset of the cube shadow maps' comparison, world units"},
    {"window-shadow-bias", "windowShadowBias", 0.02f, 0.0f, 0.5f, "%.3f",
     "constant depth offset of the colored shadow map's comparison, world units"},
    {"indirect-strength", "indirectStrength", 1.0f, 0.0f, 4.0f, "%.2f",
     "scale of the baked bounce light"},
    {"ambient-strength", "ambientStrength", 0.025f, 0.0f, 0.25f, "%.3f",
     "share of the albedo lit where no bounce light was baked"},
    {"specular-strength", "specularStrength", 1.0f, 0.0f, 4.0f, "%.2f",
     "scale of the point lights' specular highlights"},
    {"flame-glow", "flameGlowStrength", 1.5f, 0.0f, 4.0f, "%.2f",
     "how strongly the flames feed the bloom"},
};

std::vector<float>& valuesInUse() {
    static std::vector<float> values = [] {
        std::vector<float> start;
        for (const Tunable& tunable : table) {
            start.push_back(tunable.start);
        }
        return start;
    }();
    return values;
}

size_t indexOf(const Tunable& tunable) {
    return static_cast<size_t>(&tunable - table.data());
}

std::string names() {
    std::string list;
    for (const Tunable& tunable : table) {
        list += (list.empty() ? "" : ", ") + std::string(tunable.name);
    }
    return list;
}

std::string range(const Tunable& tunable) {
    return tunableText(tunable, tunable.minimum) + " to " + tunableText(tunable, tunable.maximum);
}

// The whole text as a finite float, or nothing.
std::optional<float> parseFloat(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    float value = std::strtof(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

const std::vector<Tunable>& tunables() {
    return table;
}

const Tunable* findTunable(const std::string& name) {
    for (const Tunable& tunable : table) {
        if (name == tunable.name) {
            return &tunable;
        }
    }
    return nullptr;
}

float tunableValue(const Tunable& tunable) {
    return valuesInUse()[indexOf(tunable)];
}

bool setTunable(const Tunable& tunable, float value) {
    float clamped = std::fmin(std::fmax(value, tunable.minimum), tunable.maximum);
    float& inUse = valuesInUse()[indexOf(tunable)];
    if (clamped == inUse) {
        return false;
    }
    inUse = clamped;
    uploadTunablesToAllPrograms();
    return true;
}

void resetTunables() {
    for (const Tunable& tunable : table) {
        valuesInUse()[indexOf(tunable)] = tunable.start;
    }
    uploadTunablesToAllPrograms();
}

std::string tunableText(const Tunable& tunable, float value) {
    char text[32];
    std::snprintf(text, sizeof text, tunable.format, static_cast<double>(value));
    return text;
}

std::string tunableLine(const Tunable& tunable) {
    return "Tunable " + std::string(tunable.name) + ": " +
           tunableText(tunable, tunableValue(tunable));
}

void uploadTunables(const Shader& program) {
    glUseProgram(program.program);
    for (const Tunable& tunable : table) {
        program.setFloat(tunable.uniform, tunableValue(tunable));
    }
    glUseProgram(0);
}

void uploadTunablesToAllPrograms() {
    for (const ShaderManager::ProgramFiles& files : ShaderManager::programs()) {
        if (const Shader* program = ShaderManager::findShader(files.key)) {
            uploadTunables(*program);
        }
    }
}

TunableSetting parseTunableSetting(const std::string& text) {
    TunableSetting setting;
    size_t equals = text.find('=');
    if (equals == std::string::npos) {
        setting.error = "--set takes NAME=VALUE, got \"" + text + "\"";
        return setting;
    }
    std::string name = text.substr(0, equals);
    std::string valueText = text.substr(equals + 1);
    setting.tunable = findTunable(name);
    if (setting.tunable == nullptr) {
        setting.error = "Unknown tunable \"" + name + "\"; the tunables are " + names();
        return setting;
    }
    std::optional<float> value = parseFloat(valueText);
    if (!value || *value < setting.tunable->minimum || *value > setting.tunable->maximum) {
        setting.error = "Tunable " + name + " takes a value from " + range(*setting.tunable) +
                        ", got \"" + valueText + "\"";
        return setting;
    }
    setting.value = *value;
    return setting;
}
