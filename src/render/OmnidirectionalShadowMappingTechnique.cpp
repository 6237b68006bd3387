// OmnidirectionalShadowMappingTechnique: the cube map, its comparison sampler, its layered
// framebuffer, the face matrices and the single-pass render of the opaque objects within the
// light's reach into all six faces.
#include "render/OmnidirectionalShadowMappingTechnique.h"

#include "base/Console.h"
#include "gpu/Mesh.h"
#include "gpu/ObjectLabel.h"
#include "gpu/Shader.h"
#include "gpu/ShaderManager.h"
#include "render/Frustum.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Direction and up vector of each face, in GL_TEXTURE_CUBE_MAP_POSITIVE_X + i order; the up
// vectors follow the cube-map lookup convention so a face image needs no flip.
const glm::vec3 faceDirections[6] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                     {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
const glm::vec3 faceUps[6] = {{0, -1, 0}, {0, -1, 0}, {0, 0, 1},
                              {0, 0, -1}, {0, -1, 0}, {0, -1, 0}};

} // namespace

OmnidirectionalShadowMappingTechnique::OmnidirectionalShadowMappingTechnique(
    int width, int height, const std::string& label)
    : width(width), height(height) {
    viewProjectionMatrices.fill(glm::mat4(1.0f));
    createFramebuffer(label);
}

OmnidirectionalShadowMappingTechnique::~OmnidirectionalShadowMappingTechnique() {
    glDeleteTextures(1, &cubeMap);
    glDeleteSamplers(1, &comparisonSampler);
    glDeleteFramebuffers(1, &framebuffer);
}

void OmnidirectionalShadowMappingTechnique::createFramebuffer(const std::string& label) {
    glGenTextures(1, &cubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    labelObject(GL_TEXTURE, cubeMap, label + " depth");
    for (int face = 0; face < 6; ++face) {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, width, height,
                     0, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, nullptr);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    glGenSamplers(1, &comparisonSampler);
    labelObject(GL_SAMPLER, comparisonSampler, label + " comparison");
    glSamplerParameteri(comparisonSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(comparisonSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(comparisonSampler, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(comparisonSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(comparisonSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(comparisonSampler, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glSamplerParameteri(comparisonSampler, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);

    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    labelObject(GL_FRAMEBUFFER, framebuffer, label);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, cubeMap, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        printLine("Framebuffer not complete!");
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

glm::mat4 OmnidirectionalShadowMappingTechnique::faceRotation(int face) {
    glm::vec3 direction = faceDirections[face];
    glm::vec3 right = glm::normalize(glm::cross(direction, faceUps[face]));
    glm::vec3 up = glm::cross(right, direction);
    // Column-major: the rows of the rotation are right, up and -direction.
    glm::mat4 rotation(1.0f);
    for (int column = 0; column < 3; ++column) {
        rotation[column][0] = right[column];
        rotation[column][1] = up[column];
        rotation[column][2] = -direction[column];
    }
    return rotation;
}

void OmnidirectionalShadowMappingTechnique::setLight(Light* newLight) {
    light = newLight;
    glm::mat4 toLight = glm::translate(glm::mat4(1.0f), -light->position);
    glm::mat4 projection = glm::perspective(
        glm::radians(fieldOfView), static_cast<float>(width) / height, nearPlane, farPlane);
    for (int face = 0; face < 6; ++face) {
        viewProjectionMatrices[face] = projection * faceRotation(face) * toLight;
    }
}

int OmnidirectionalShadowMappingTechnique::facesTouching(const Frustum& frustum,
                                                         float margin) const {
    if (!light) {
        return 0;
    }
    float reach = light->radius();
    int faces = 0;
    for (int face = 0; face < 6; ++face) {
        glm::vec3 axis = faceDirections[face] * reach;
        glm::vec3 across = faceUps[face] * reach;
        glm::vec3 side = glm::cross(faceDirections[face], faceUps[face]) * reach;
        glm::vec3 pyramid[5] = {light->position, light->position + axis + across + side,
                                light->position + axis + across - side,
                                light->position + axis - across + side,
                                light->position + axis - across - side};
        if (frustum.touchesHull(pyramid, 5, margin)) {
            faces |= 1 << face;
        }
    }
    return faces;
}

void OmnidirectionalShadowMappingTechnique::render(Scene* scene, int faces) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glClear(GL_DEPTH_BUFFER_BIT);
    hasContents = true;
    facesHeld = light ? faces & allFaces : allFaces;
    if (!light) {
        // No light yet: the cleared map means "nothing in the way" in every direction.
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return;
    }

    Shader* shader = ShaderManager::getShader("omnidirectional_shadowMap");
    shader->use();
    shader->setFloat("near", nearPlane);
    shader->setFloat("far", farPlane);
    shader->setVec3("lightPosition", light->position);
    shader->setMat4Array("cm_matrices", viewProjectionMatrices.data(), 6);
    shader->setInt("faceMask", faces);

    float reach = casterReach();
    for (SceneObject* object : scene->opaqueObjects) {
        shader->setMat4("modelMatrix", object->modelMatrix);
        for (Mesh* mesh : object->meshes) {
            if (!mesh->liesBeyond(object->modelMatrix, light->position, reach)) {
                mesh->drawGeometry(shader);
            }
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void OmnidirectionalShadowMappingTechnique::bindTexture(int unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glBindSampler(static_cast<GLuint>(unit), 0);
}

void OmnidirectionalShadowMappingTechnique::bindComparisonTexture(int unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glBindSampler(static_cast<GLuint>(unit), comparisonSampler);
}

void OmnidirectionalShadowMappingTechnique::unbindComparisonSampler(int unit) {
    glBindSampler(static_cast<GLuint>(unit), 0);
}

float OmnidirectionalShadowMappingTechnique::casterReach() const {
    float beyondEveryFace = farPlane * std::sqrt(3.0f);
    return light ? std::min(light->radius(), beyondEveryFace) : beyondEveryFace;
}

glm::vec2 OmnidirectionalShadowMappingTechnique::getNearFar() {
    return glm::vec2(nearPlane, farPlane);
}
