// SSAOTechnique: the fixed random kernel and noise, the two single-channel targets and the two
// full-screen passes. All randomness comes from one default-seeded generator, so every run (and
// every instance) produces the same kernel and noise.
#include "render/SSAOTechnique.h"

#include "base/Console.h"
#include "gpu/ObjectLabel.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"
#include "scene/Camera.h"

#include <random>
#include <string>

namespace {

constexpr int noiseSize = 4;
constexpr int noiseCount = noiseSize * noiseSize;

float lerp(float a, float b, float f) {
    return (b - a) * f + a;
}

} // namespace

SSAOTechnique::SSAOTechnique(int width, int height)
    : width(width), height(height), screenQuad(ScreenQuad::getInstance()),
      framebuffer(width, height, "SSAO") {
    framebuffer.addTexture(GL_COLOR_ATTACHMENT0, GL_R16F, GL_RED, GL_FLOAT,
                           glm::vec4(1.0f, 1.0f, 1.0f, 1.0f), true, "raw occlusion");
    framebuffer.addTexture(GL_COLOR_ATTACHMENT1, GL_R16F, GL_RED, GL_FLOAT,
                           glm::vec4(0.0f, 0.0f, 0.0f, 0.0f), true, "blurred occlusion");
    ssaoShader = ShaderManager::getShader("ssao");
    blurShader = ShaderManager::getShader("avgBlur");
    generateKernelAndNoise();
}

SSAOTechnique::~SSAOTechnique() {
    framebuffer.release();
    glDeleteTextures(1, &noiseTexture);
}

// Draw order per kernel sample: z, y, x of the direction, then its length; per noise vector:
// its y, then its x. Changing the order changes every value.
void SSAOTechnique::generateKernelAndNoise() {
    std::mt19937 generator;
    std::uniform_real_distribution<float> distribution(0.0f, 1.0f);
    auto draw = [&]() { return distribution(generator); };

    numSamples = 16;
    kernel.clear();
    for (int i = 0; i < numSamples; ++i) {
        float u1 = draw();
        float u2 = draw();
        float u3 = draw();
        glm::vec3 sample(2.0f * u3 - 1.0f, 2.0f * u2 - 1.0f, u1);
        sample = glm::normalize(sample);
        sample *= draw();
        float scale = static_cast<float>(i) / static_cast<float>(numSamples);
        sample *= lerp(0.1f, 1.0f, scale * scale);
        kernel.push_back(sample);
    }

    glm::vec3 noise[noiseCount];
    for (glm::vec3& rotation : noise) {
        double w1 = draw();
        double w2 = draw();
        rotation =
            glm::vec3(static_cast<float>(2.0 * w2 - 1.0), static_cast<float>(2.0 * w1 - 1.0), 0.0f);
    }

    // a second call replaces the texture instead of leaking the first one
    if (noiseTexture != 0) {
        glDeleteTextures(1, &noiseTexture);
    }
    glGenTextures(1, &noiseTexture);
    glBindTexture(GL_TEXTURE_2D, noiseTexture);
    labelObject(GL_TEXTURE, noiseTexture, "SSAO noise");
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16F, noiseSize, noiseSize, 0, GL_RGB, GL_FLOAT, noise);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

// Both passes write every pixel of their attachment, so nothing is cleared first.
void SSAOTechnique::render(GLuint positionTexture, GLuint normalTexture) {
    framebuffer.bind();
    occlusionPass(positionTexture, normalTexture);
    blurPass();
    framebuffer.unbind();
}

void SSAOTechnique::bindResult(int unit) {
    framebuffer.bindTexture(GL_COLOR_ATTACHMENT1, unit);
}

// Raw occlusion into attachment 0 only.
void SSAOTechnique::occlusionPass(GLuint positionTexture, GLuint normalTexture) {
    const GLenum target = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &target);
    ssaoShader->use();
    bindInputs(positionTexture, normalTexture);
    uploadCameraAndKernel();
    screenQuad->drawOverwriting();
    Shader::unuse();
}

// Units 0, 1, 2 in that order, each bound just before its sampler is set.
void SSAOTechnique::bindInputs(GLuint positionTexture, GLuint normalTexture) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, positionTexture);
    ssaoShader->setInt("position_texture", 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, normalTexture);
    ssaoShader->setInt("normal_texture", 1);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, noiseTexture);
    labelObject(GL_TEXTURE, noiseTexture, "SSAO noise");
    ssaoShader->setInt("noise_texture", 2);
}

void SSAOTechnique::uploadCameraAndKernel() {
    ssaoShader->setVec2("noiseScale", glm::vec2(width / 4.0f, height / 4.0f));
    ssaoShader->setMat4("projectionMatrix", mainCamera->getProjectionMatrix());
    ssaoShader->setMat4("viewMatrix", mainCamera->getViewMatrix());
    ssaoShader->setInt("numSamples", numSamples);
    for (int i = 0; i < numSamples; ++i) {
        ssaoShader->setVec3("samples[" + intToString(i) + "]", kernel[i]);
    }
}

// Blurred occlusion into attachment 1, reading attachment 0 on unit 0 (left active).
void SSAOTechnique::blurPass() {
    const GLenum target = GL_COLOR_ATTACHMENT1;
    glDrawBuffers(1, &target);
    blurShader->use();
    framebuffer.bindTexture(GL_COLOR_ATTACHMENT0, 0);
    blurShader->setInt("color_texture", 0);
    screenQuad->drawOverwriting();
    Shader::unuse();
}
