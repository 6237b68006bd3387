// GaussBlurTechnique: the two blur targets and the two one-dimensional passes. The horizontal
// pass samples the (usually full-size) source into the blur-size target, which also halves the
// resolution; the vertical pass blurs that result into verticalBuffer.
#include "render/GaussBlurTechnique.h"

#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"

#include <glm/glm.hpp>

namespace {

Framebuffer makeBlurTarget(int width, int height, const char* label) {
    Framebuffer target(width, height, label);
    target.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA16F, GL_RGBA, GL_FLOAT,
                      glm::vec4(0.0f, 0.0f, 0.0f, 0.0f), true, "colour");
    return target;
}

} // namespace

GaussBlurTechnique::GaussBlurTechnique(int width, int height)
    : screenQuad(ScreenQuad::getInstance()),
      horizontalBuffer(makeBlurTarget(width, height, "blur horizontal")),
      verticalBuffer(makeBlurTarget(width, height, "blur vertical")),
      shader(ShaderManager::getShader("gaussBlur")) {}

GaussBlurTechnique::~GaussBlurTechnique() {
    horizontalBuffer.release();
    verticalBuffer.release();
}

void GaussBlurTechnique::blur(GLuint source) {
    shader->use();
    bindSource(source);
    horizontalPass();
    verticalPass();
    Shader::unuse();
}

void GaussBlurTechnique::bindResult(int unit) {
    verticalBuffer.bindTexture(GL_COLOR_ATTACHMENT0, unit);
}

// The mipmap chain is regenerated for programs that read coarser levels explicitly; with the
// source's GL_LINEAR minification, plain sampling still reads level 0.
void GaussBlurTechnique::bindSource(GLuint source) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, source);
    glGenerateMipmap(GL_TEXTURE_2D);
    shader->setInt("color_texture", 0);
}

// Each pass writes every pixel of its target, so nothing is cleared first.
void GaussBlurTechnique::horizontalPass() {
    horizontalBuffer.bind();
    shader->setInt("horizontal", 1);
    screenQuad->drawOverwriting();
    horizontalBuffer.unbind();
}

void GaussBlurTechnique::verticalPass() {
    verticalBuffer.bind();
    horizontalBuffer.bindTexture(GL_COLOR_ATTACHMENT0, 0);
    shader->setInt("color_texture", 0);
    shader->setInt("horizontal", 0);
    screenQuad->drawOverwriting();
    verticalBuffer.unbind();
}
