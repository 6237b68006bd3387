// IndirectLightProbes: reading the probe file and uploading it as four 3D textures.
#include "render/IndirectLightProbes.h"

#include "base/Console.h"
#include "gpu/ObjectLabel.h"
#include "gpu/Shader.h"
#include "scene/IrradianceProbeGrid.h"

#include <vector>

namespace {

const char* const samplerNames[IndirectLightProbes::textureCount] = {"probeLight",
                                                                     "probeDirection"};

GLuint create3DTexture(glm::ivec3 size, const std::vector<float>& texels, const char* label) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_3D, texture);
    labelObject(GL_TEXTURE, texture, label);
    glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA16F, size.x, size.y, size.z, 0, GL_RGBA, GL_FLOAT,
                 texels.data());
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_3D, 0);
    return texture;
}

} // namespace

IndirectLightProbes::IndirectLightProbes(const std::string& path) {
    IrradianceProbeGrid grid;
    std::string error;
    if (!IrradianceProbeGrid::read(path, grid, error)) {
        printLine(error + "; the ambient term stays constant");
        return;
    }
    upload(grid);
}

IndirectLightProbes::~IndirectLightProbes() {
    if (loaded()) {
        glDeleteTextures(textureCount, textures);
    }
}

void IndirectLightProbes::upload(const IrradianceProbeGrid& grid) {
    std::vector<float> light, direction;
    for (const IrradianceProbeGrid::Probe& probe : grid.probes) {
        glm::vec4 l = probe.weight * glm::vec4(probe.light, 1.0f);
        glm::vec4 d = probe.weight * IrradianceProbeGrid::luminance(probe.light) *
                      glm::vec4(probe.direction, 1.0f);
        light.insert(light.end(), {l.x, l.y, l.z, l.w});
        direction.insert(direction.end(), {d.x, d.y, d.z, d.w});
    }
    textures[0] = create3DTexture(grid.counts, light, "indirect light probes light");
    textures[1] = create3DTexture(grid.counts, direction, "indirect light probes direction");
    origin = grid.origin;
    spacing = grid.spacing;
    counts = glm::vec3(grid.counts);
}

void IndirectLightProbes::bind(Shader* shader, int firstUnit) const {
    shader->setInt("indirectLightBaked", loaded() ? 1 : 0);
    shader->setVec3("probeGridOrigin", origin);
    shader->setFloat("probeGridSpacing", spacing);
    shader->setVec3("probeGridCounts", counts);
    for (int i = 0; i < textureCount; ++i) {
        shader->setInt(samplerNames[i], firstUnit + i);
        glActiveTexture(GL_TEXTURE0 + GLenum(firstUnit + i));
        glBindTexture(GL_TEXTURE_3D, textures[i]);
    }
    glActiveTexture(GL_TEXTURE0);
}
