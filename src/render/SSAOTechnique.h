// SSAOTechnique: screen-space ambient occlusion from the G-buffer's world positions and normals.
// A 16-sample hemisphere kernel rotated per pixel by a 4 x 4 noise texture ("ssao"), then a box
// average that removes the noise pattern ("avgBlur"). The lighting pass samples the result.
#pragma once

#include "gpu/Framebuffer.h"
#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <vector>

class ScreenQuad;
class Shader;

class SSAOTechnique {
public:
    int width;
    int height;
    // hemisphere sample offsets around +z, shortest first
    std::vector<glm::vec3> kernel;
    int numSamples = 16;
    // 4 x 4 GL_RGB16F rotation vectors in the tangent plane, GL_NEAREST, GL_REPEAT
    GLuint noiseTexture = 0;
    ScreenQuad* screenQuad; // shared, not owned
    // attachment 0: raw occlusion (cleared to 1); attachment 1: blurred occlusion, the result
    Framebuffer framebuffer;
    Shader* ssaoShader;
    Shader* blurShader;

    // Needs the GL context current and the shader registry loaded.
    SSAOTechnique(int width, int height);
    // Releases the targets and the noise texture.
    ~SSAOTechnique();
    SSAOTechnique(const SSAOTechnique&) = delete;
    SSAOTechnique& operator=(const SSAOTechnique&) = delete;

    // Fills the kernel and uploads the noise texture from a default-seeded std::mt19937; the
    // noise texture stays bound on the active unit.
    void generateKernelAndNoise();
    // Occlusion pass into attachment 0, blur into attachment 1. Leaves framebuffer 0 bound, the
    // viewport at the technique's size, the raw occlusion on unit 0, the normals on unit 1, the
    // noise on unit 2 and unit 0 active.
    void render(GLuint positionTexture, GLuint normalTexture);
    // Binds the blurred occlusion (attachment 1) on GL_TEXTURE0 + unit and leaves it active.
    void bindResult(int unit);

private:
    void bindInputs(GLuint positionTexture, GLuint normalTexture);
    void uploadCameraAndKernel();
    void occlusionPass(GLuint positionTexture, GLuint normalTexture);
    void blurPass();
};
