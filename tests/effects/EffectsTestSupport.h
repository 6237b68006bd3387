// Helpers of the screen-space effect tests: the shader registry loaded once per test program,
// float textures made from CPU data and read back, so each effect's output can be checked
// texel by texel.
#pragma once

#include "gpu/GL.h"
#include "gpu/ShaderManager.h"
#include "gpu/StandingState.h"

#include <glm/glm.hpp>

#include <vector>

inline void loadShadersOnce() {
    static bool loaded = false;
    if (!loaded) {
        ShaderManager::loadShaders();
        loaded = true;
    }
}

// A linear-filtered RGBA16F texture of width x height from bottom-row-first RGBA data.
inline GLuint makeRgbaTexture(int width, int height, const std::vector<glm::vec4>& texels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, width, height, 0, GL_RGBA, GL_FLOAT, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

// Level 0 of a 2D texture as RGBA floats, bottom row first.
inline std::vector<glm::vec4> readRgba(GLuint texture, int width, int height) {
    std::vector<glm::vec4> texels(static_cast<size_t>(width) * height);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    return texels;
}

// The pipeline's standing state, under which every full-screen pass runs in the frame.
inline void useStandingBlendState() {
    setStandingState();
}
