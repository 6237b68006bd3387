// Billboard: the flame quad. orient() keeps only the translation of the model matrix and turns
// the quad by the camera's yaw; render() draws it with "billBoardShader" and leaves vertex array
// 0 bound and no program in use.
#include "render/Billboard.h"

#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"
#include "render/AnimatedTextureTechnique.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// A unit square centred on the origin in the x-y plane, as a triangle strip, counter-clockwise
// seen from +z.
const GLfloat quadCorners[12] = {
    -0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f, -0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.0f,
};

} // namespace

Billboard::Billboard() : shader(ShaderManager::getShader("billBoardShader")) {
    createQuad();
}

Billboard::~Billboard() {
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    shader = nullptr;
}

// Leaves the new vertex array bound.
void Billboard::createQuad() {
    ScreenQuad::createCornerArray(quadCorners, vao, vbo, "flame billboard");
}

void Billboard::setAnimatedTexture(std::string path) {
    animatedTexture = AnimatedTextureTechnique::loadGif(path);
}

// Only the yaw is followed so the flame stays upright whatever the camera's pitch.
void Billboard::orient(glm::vec3 rotation) {
    const glm::vec4 position = modelMatrix[3];
    const glm::mat4 orientation =
        glm::rotate(glm::mat4(1.0f), glm::radians(rotation.y), glm::vec3(0.0f, 1.0f, 0.0f));
    modelMatrix = glm::inverse(orientation);
    modelMatrix[3] = glm::vec4(glm::vec3(position), 1.0f);
}

// Without an animated texture the quad samples whatever unit 0 holds.
void Billboard::render(const glm::mat4& viewProjection, float /*dt*/) {
    shader->use();
    shader->setMat4("modelViewProjectionMatrix", viewProjection * modelMatrix);
    if (animatedTexture != nullptr) {
        animatedTexture->bind(0);
        shader->setInt("color_texture", 0);
    }
    glBindVertexArray(vao);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    Shader::unuse();
}
