// ShadowMappingTechnique: the light-view depth map and the colored shadow map, their
// framebuffers and the three passes that fill them each frame.
#include "render/ShadowMappingTechnique.h"

#include "gpu/Mesh.h"
#include "gpu/ObjectLabel.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "scene/ShadowLight.h"

namespace {

// The depth map stays bound here while the windows compare against it.
const int depthUnit = 2;

void setSamplingParameters(GLenum wrap) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

// With `materials`, each mesh binds its textures and sets its material uniforms (Mesh::draw);
// without, only its geometry is drawn, for a program that reads no material.
void drawObjects(const std::vector<SceneObject*>& objects, Shader* shader,
                 const glm::mat4& viewProjection, bool materials) {
    for (SceneObject* object : objects) {
        shader->setMat4("modelViewProjectionMatrix", viewProjection * object->modelMatrix);
        for (Mesh* mesh : object->meshes) {
            if (materials) {
                mesh->draw(shader);
            } else {
                mesh->drawGeometry(shader);
            }
        }
    }
}

} // namespace

ShadowMappingTechnique::ShadowMappingTechnique(int width, int height)
    : width(width), height(height) {
    shadowMapShader = ShaderManager::getShader("shadowMap");
    coloredShadowMapShader = ShaderManager::getShader("coloredShadowMap");
    drawShadowMapShader = ShaderManager::getShader("drawShadowMap");
    createFramebuffers(width, height);
    screenQuad = ScreenQuad::getInstance();
}

ShadowMappingTechnique::~ShadowMappingTechnique() {
    glDeleteTextures(1, &depthTexture);
    glDeleteTextures(1, &colorTexture);
    glDeleteFramebuffers(1, &depthFramebuffer);
    glDeleteFramebuffers(1, &colorFramebuffer);
}

bool ShadowMappingTechnique::createFramebuffers(int mapWidth, int mapHeight) {
    glGenFramebuffers(1, &depthFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, depthFramebuffer);
    labelObject(GL_FRAMEBUFFER, depthFramebuffer, "light-view shadow map");
    glGenTextures(1, &depthTexture);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    labelObject(GL_TEXTURE, depthTexture, "light-view shadow map depth");
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT16, mapWidth, mapHeight, 0, GL_DEPTH_COMPONENT,
                 GL_FLOAT, nullptr);
    setSamplingParameters(GL_CLAMP_TO_EDGE);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, depthTexture, 0);
    glDrawBuffer(GL_NONE);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glGenFramebuffers(1, &colorFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, colorFramebuffer);
    labelObject(GL_FRAMEBUFFER, colorFramebuffer, "colored shadow map");
    glGenTextures(1, &colorTexture);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    labelObject(GL_TEXTURE, colorTexture, "colored shadow map colour");
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, mapWidth, mapHeight, 0, GL_RGBA, GL_FLOAT, nullptr);
    setSamplingParameters(GL_CLAMP_TO_EDGE);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, colorTexture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return true;
}

void ShadowMappingTechnique::render(Scene* scene) {
    if (scene->shadowLights.empty()) {
        return; // no light view: the maps keep what they hold
    }
    glViewport(0, 0, shadowMapSize, shadowMapSize);
    renderDepth(scene);
    copyDepthIntoColorMap();
    renderWindows(scene);
    glCullFace(GL_BACK);
}

// The opaque objects' depth as seen from the shadow light.
void ShadowMappingTechnique::renderDepth(Scene* scene) {
    glBindFramebuffer(GL_FRAMEBUFFER, depthFramebuffer);
    shadowMapShader->use();
    ShadowLight* light = scene->shadowLights.front();
    lightViewProjection = light->getProjectionMatrix() * light->getViewMatrix() * glm::mat4(1.0f);
    farPlane = light->farPlane;
    shadowMapShader->setFloat("lightFarPlane", farPlane);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawObjects(scene->opaqueObjects, shadowMapShader, lightViewProjection, false);
    Shader::unuse();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Every texel of the colour map gets the depth map's texel in the colored-shadow convention. The
// copy replaces last frame's contents, so it is drawn without blending (the copy's alpha carries
// depth, not coverage); the standing state is restored right after.
void ShadowMappingTechnique::copyDepthIntoColorMap() {
    glBindFramebuffer(GL_FRAMEBUFFER, colorFramebuffer);
    drawShadowMapShader->use();
    glActiveTexture(GL_TEXTURE0 + depthUnit);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    drawShadowMapShader->setInt("shadow_texture", depthUnit);
    drawShadowMapShader->setFloat("lightFarPlane", farPlane);
    screenQuad->drawOverwriting();
    Shader::unuse();
}

// The windows over the copy; each keeps only its fragments in front of the opaque depth and
// multiplies the texel's transmission by its own, leaving the depth in alpha untouched. The
// standing blend factors are restored after.
void ShadowMappingTechnique::renderWindows(Scene* scene) {
    glCullFace(GL_FRONT);
    coloredShadowMapShader->use();
    coloredShadowMapShader->setInt("shadowMap", depthUnit);
    coloredShadowMapShader->setFloat("lightFarPlane", farPlane);
    glBlendFuncSeparate(GL_DST_COLOR, GL_ZERO, GL_ZERO, GL_ONE);
    drawObjects(scene->transparentObjects, coloredShadowMapShader, lightViewProjection, true);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Shader::unuse();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

GLuint ShadowMappingTechnique::getColorTexture() {
    return colorTexture;
}

glm::mat4 ShadowMappingTechnique::getLightViewProjection() {
    return lightViewProjection;
}
