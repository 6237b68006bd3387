// LightShaftsTechnique: the fixed scattering parameters, the light's pixel position on the
// target and the one radial-blur pass. The position is not divided by clip w: a caller with a
// perspective matrix divides first or passes a matrix that yields normalised coordinates.
#include "render/LightShaftsTechnique.h"

#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"

namespace {

// Nearest integer, halves away from zero.
double roundHalfAwayFromZero(double value) {
    return value >= 0.0 ? static_cast<double>(static_cast<long long>(value + 0.5))
                        : static_cast<double>(static_cast<long long>(value - 0.5));
}

} // namespace

LightShaftsTechnique::LightShaftsTechnique(int width, int height)
    : exposure(1.0333f), decay(0.99f), density(0.64f), weight(0.0166667f),
      shader(ShaderManager::getShader("lightShaft")), screenQuad(ScreenQuad::getInstance()),
      width(width), height(height), framebuffer(width, height, "light shafts") {
    framebuffer.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA16F, GL_RGBA, GL_FLOAT,
                           glm::vec4(0.0f, 0.0f, 0.0f, 0.0f), true, "colour");
}

LightShaftsTechnique::~LightShaftsTechnique() {
    framebuffer.release();
}

// The sum and difference are formed in float, the halving and scaling in double.
glm::vec2 LightShaftsTechnique::computeScreenPosition(glm::vec3 lightPosition,
                                                      const glm::mat4& lightMatrix, int width,
                                                      int height) {
    glm::vec4 clip = lightMatrix * glm::vec4(lightPosition, 1.0f);
    float xPlusOne = clip.x + 1.0f;
    float oneMinusY = 1.0f - clip.y;
    double sx = static_cast<double>(xPlusOne) / 2.0 * width;
    double syTop = static_cast<double>(oneMinusY) / 2.0 * height;
    return glm::vec2(static_cast<float>(roundHalfAwayFromZero(sx)),
                     static_cast<float>(roundHalfAwayFromZero(syTop)));
}

void LightShaftsTechnique::render(glm::vec3 lightPosition, GLuint sourceTexture,
                                  glm::mat4 lightMatrix) {
    glm::vec2 screen = computeScreenPosition(lightPosition, lightMatrix, width, height);
    shader->use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    framebuffer.bind();
    framebuffer.clear();
    shader->setFloat("exposure", exposure);
    shader->setFloat("decay", decay);
    shader->setFloat("density", density);
    shader->setFloat("weight", weight);
    shader->setVec2("lightPositionOnScreen", screen);
    shader->setInt("firstPass", 0);
    screenQuad->draw();
    framebuffer.unbind();
    Shader::unuse();
}

void LightShaftsTechnique::bindResult(int unit) {
    framebuffer.bindTexture(GL_COLOR_ATTACHMENT0, unit);
}
