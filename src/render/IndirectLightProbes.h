// IndirectLightProbes: the baked indirect light (an IrradianceProbeGrid read from its file) as
// 3D textures that the lighting pass samples with the hardware's trilinear filter. Owned by the
// Renderer; without a usable file it holds nothing and the frame keeps the constant ambient term.
#pragma once

#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <string>

class IrradianceProbeGrid;
class Shader;

class IndirectLightProbes {
public:
    static constexpr const char* defaultPath = "Assets/indirect_light.probes";
    // Two RGBA16F textures, linear filtering, clamped at the grid's faces: "probeLight" holds
    // (light, 1) and "probeDirection" (direction, 1) times luminance(light), both times each
    // probe's weight. Filtered and divided by their fourth channels they blend only the probes in
    // open space, exactly as IrradianceProbeGrid::sample does.
    static constexpr int textureCount = 2;

    // Reads the probe file; a missing, damaged or wrongly sized one prints one line and leaves
    // the textures out.
    explicit IndirectLightProbes(const std::string& path = defaultPath);
    ~IndirectLightProbes();
    IndirectLightProbes(const IndirectLightProbes&) = delete;
    IndirectLightProbes& operator=(const IndirectLightProbes&) = delete;

    bool loaded() const { return textures[0] != 0; }
    // Hands the program in use its probe uniforms ("indirectLightBaked", "probeGridOrigin",
    // "probeGridSpacing", "probeGridCounts") and binds the textures on units firstUnit and
    // firstUnit + 1 as "probeLight" and "probeDirection". Without probes the samplers still get
    // those units (no two sampler types share a unit) and "indirectLightBaked" is 0.
    void bind(Shader* shader, int firstUnit) const;

private:
    void upload(const IrradianceProbeGrid& grid);

    GLuint textures[textureCount] = {};
    glm::vec3 origin{0.0f};
    float spacing = 1.0f;
    glm::vec3 counts{1.0f};
};
