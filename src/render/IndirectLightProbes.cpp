// IndirectLightProbes: reading the probe file and uploading it as four 3D textures.
#include "render/IndirectLightProbes.h"

#include "app/Console.h"
#include "gpu/Shader.h"
#include "scene/IrradianceProbeGrid.h"

#include <vector>

namespace {

const char* const samplerNames[IndirectLightProbes::textureCount] = {"probeRed", "probeGreen",
                                                                     "probeBlue", "probeWeight"};

GLuint create3DTexture(glm::ivec3 size, GLint internalFormat, GLenum format,
                       const std::vector<float>& texels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_3D, texture);
    glTexImage3D(GL_TEXTURE_3D, 0, internalFormat, size.x, size.y, size.z, 0, format, GL_FLOAT,
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
    size_t n = grid.probeCount();
    std::vector<float> channels[3], weights(n);
    for (int c = 0; c < 3; ++c) {
        channels[c].resize(n * 4);
    }
    for (size_t p = 0; p < n; ++p) {
        float w = grid.probes[p * 4 + 3].x;
        weights[p] = w;
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 4; ++k) {
                channels[c][p * 4 + size_t(k)] = w * grid.probes[p * 4 + size_t(c)][k];
            }
        }
    }
    for (int c = 0; c < 3; ++c) {
        textures[c] = create3DTexture(grid.counts, GL_RGBA16F, GL_RGBA, channels[c]);
    }
    textures[3] = create3DTexture(grid.counts, GL_R16F, GL_RED, weights);
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
