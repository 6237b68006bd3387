// Renderer: the frame's passes in order, the render targets they share and the uniforms each
// pass hands its program (looked up by name on every pass; nothing is cached).
#include "render/Renderer.h"

#include "app/Console.h"
#include "app/RenderSettings.h"
#include "gpu/Mesh.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "render/Billboard.h"
#include "render/GaussBlurTechnique.h"
#include "render/LightShaftsTechnique.h"
#include "render/OmnidirectionalShadowMappingTechnique.h"
#include "render/PassTimer.h"
#include "render/SSAOTechnique.h"
#include "render/ShadowMappingTechnique.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {

// Units of the lighting program: G-buffer 0..2, occlusion 3, then one cube map per light and
// the colored shadow map after them.
const int firstCubeMapUnit = 4;

// Maps the shadow light's clip space to [0, 1] texture coordinates and depth.
const glm::mat4 biasMatrix(0.5f, 0.0f, 0.0f, 0.0f, //
                           0.0f, 0.5f, 0.0f, 0.0f, //
                           0.0f, 0.0f, 0.5f, 0.0f, //
                           0.5f, 0.5f, 0.5f, 1.0f);

GLint uniform(Shader* shader, const std::string& name) {
    return glGetUniformLocation(shader->program, name.c_str());
}

void setInt(Shader* shader, const std::string& name, int value) {
    glUniform1i(uniform(shader, name), value);
}

void setMatrix(Shader* shader, const std::string& name, const glm::mat4& matrix) {
    glUniformMatrix4fv(uniform(shader, name), 1, GL_FALSE, glm::value_ptr(matrix));
}

glm::mat4 cameraViewProjection() {
    return mainCamera->getProjectionMatrix() * mainCamera->getViewMatrix();
}

Framebuffer createGBuffer(int width, int height) {
    Framebuffer buffer(width, height);
    buffer.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA16F, GL_RGBA, GL_FLOAT, glm::vec4(0.0f), true);
    buffer.addTexture(GL_COLOR_ATTACHMENT1, GL_RGBA16F, GL_RGBA, GL_FLOAT, glm::vec4(0.0f), true);
    buffer.addTexture(GL_COLOR_ATTACHMENT2, GL_RGBA16F, GL_RGBA, GL_FLOAT,
                      glm::vec4(0.9f, 0.9f, 0.9f, 1.0f), true);
    buffer.addRenderbuffer();
    return buffer;
}

Framebuffer createHdrBuffer(int width, int height) {
    Framebuffer buffer(width, height);
    buffer.addTexture(GL_COLOR_ATTACHMENT0, GL_RGB16F, GL_RGB, GL_FLOAT, glm::vec4(0.0f), true);
    buffer.addTexture(GL_COLOR_ATTACHMENT1, GL_RGB16F, GL_RGB, GL_FLOAT, glm::vec4(0.0f), true);
    buffer.addRenderbuffer();
    return buffer;
}

// Light slots the program declares beyond the scene's lights: their radius goes to 0 so they
// light nothing whatever an earlier frame left there, and their cube-map samplers, which would
// otherwise read unit 0 where a 2D texture is bound (two sampler types on one unit make the draw
// fail), go to a unit that holds no texture.
void disableSpareLights(Shader* shader, size_t lightCount, int spareUnit) {
    for (int i = static_cast<int>(lightCount);; ++i) {
        std::string index = intToString(i);
        GLint sampler = uniform(shader, "shadowMaps[" + index + "]");
        if (sampler < 0) {
            return;
        }
        glUniform1i(sampler, spareUnit);
        glUniform1f(uniform(shader, "lights[" + index + "].radius"), 0.0f);
    }
}

} // namespace

Renderer::Renderer(int width, int height) : gBuffer(), hdrBuffer() {
    RenderSettings::screenWidth = width;
    RenderSettings::screenHeight = height;

    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    mainCamera->setPerspective(70.0f, static_cast<float>(width) / static_cast<float>(height), 0.01f,
                               50.0f);
    screenQuad = ScreenQuad::getInstance();

    gBuffer = createGBuffer(width, height);
    hdrBuffer = createHdrBuffer(width, height);
    gaussBlur = new GaussBlurTechnique(width / 2, height / 2);
    ssao = new SSAOTechnique(width, height);
    lightShafts = new LightShaftsTechnique(width, height);
    shadowMapping = new ShadowMappingTechnique(shadowMapSize, shadowMapSize);
}

Renderer::~Renderer() {
    gBuffer.release();
    hdrBuffer.release();
    delete gaussBlur;
    delete ssao;
    delete lightShafts;
    delete shadowMapping;
    for (OmnidirectionalShadowMappingTechnique* cubeMap : omnidirectionalShadowMaps) {
        delete cubeMap;
    }
}

void Renderer::init(const std::vector<Light*>& lights) {
    for (Light* light : lights) {
        auto* cubeMap = new OmnidirectionalShadowMappingTechnique(shadowMapSize, shadowMapSize);
        cubeMap->setLight(light);
        omnidirectionalShadowMaps.push_back(cubeMap);
    }
}

void Renderer::setDeltaTime(float dt) {
    deltaTime = dt;
}

float Renderer::lightRadius(const Light& light) {
    const float constant = 1.0f;
    // Times lightMax: the attenuation denominator 1 + l d + q d^2 at the edge of the reach.
    const double cutoffDenominator = 1.0 / lightCutoffLevel;
    float lightMax = std::max(std::max(light.color.r, light.color.g), light.color.b);
    float l = light.linear;
    float q = light.quadratic;
    if (q == 0.0f) {
        // No quadratic term: the falloff is linear (or absent when l is 0 too).
        if (l <= 0.0f) {
            return lightMax * cutoffDenominator > constant ? std::numeric_limits<float>::max()
                                                           : 0.0f;
        }
        return std::max(0.0f, static_cast<float>((cutoffDenominator * lightMax - constant) / l));
    }
    // The discriminant is formed in double and rounded to float before the square root.
    float discriminant =
        static_cast<float>(l * l - 4 * q * (constant - cutoffDenominator * lightMax));
    if (discriminant < 0.0f) {
        return 0.0f;
    }
    return std::max(0.0f, (-l + std::sqrt(discriminant)) / (2 * q));
}

void Renderer::render(Scene* scene) {
    PassTimer::begin(FramePass::ShadowMaps);
    renderShadowMaps(scene);
    PassTimer::end(FramePass::ShadowMaps);

    PassTimer::begin(FramePass::Geometry);
    geometryPass(scene);
    PassTimer::end(FramePass::Geometry);

    if (RenderSettings::ssao) {
        PassTimer::begin(FramePass::SSAO);
        ssaoPass();
        PassTimer::end(FramePass::SSAO);
    }

    PassTimer::begin(FramePass::Lighting);
    if (RenderSettings::bloom) {
        hdrBuffer.bind();
        hdrBuffer.clear();
    }
    lightingPass(scene);
    PassTimer::end(FramePass::Lighting);

    if (RenderSettings::transparentObjects) {
        PassTimer::begin(FramePass::Forward);
        forwardPass(scene);
        PassTimer::end(FramePass::Forward);
    }

    if (RenderSettings::bloom) {
        PassTimer::begin(FramePass::Bloom);
        hdrBuffer.unbind();
        bloomPass(scene);
        PassTimer::end(FramePass::Bloom);
    }
}

// Cube maps while omnidirectional shadows are on (only until the first one is rendered when the
// settings ask not to update them), then the light-view maps, every frame.
void Renderer::renderShadowMaps(Scene* scene) {
    bool cubeMapsDue = RenderSettings::updateShadowMaps || !cubeMapsRendered;
    if (RenderSettings::omnidirectionalShadows && cubeMapsDue) {
        for (OmnidirectionalShadowMappingTechnique* cubeMap : omnidirectionalShadowMaps) {
            cubeMap->render(scene);
        }
        cubeMapsRendered = true;
    }
    shadowMapping->render(scene);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// World position, world normal and diffuse colour of the opaque objects into the G-buffer.
void Renderer::geometryPass(Scene* scene) {
    gBuffer.bind();
    gBuffer.clear();
    glm::mat4 view = mainCamera->getViewMatrix();
    glm::mat4 viewProjection = mainCamera->getProjectionMatrix() * view;

    Shader* shader = ShaderManager::getShader("deferredFirstPass");
    shader->use();
    setInt(shader, "bumpMappingEnabled", RenderSettings::bumpMapping ? 1 : 0);
    for (SceneObject* object : scene->opaqueObjects) {
        const glm::mat4& model = object->modelMatrix;
        glm::mat3 normalMatrix = glm::mat3(glm::transpose(glm::inverse(model)));
        setMatrix(shader, "modelMatrix", model);
        setMatrix(shader, "viewMatrix", view);
        glUniformMatrix3fv(uniform(shader, "normalMatrix"), 1, GL_FALSE,
                           glm::value_ptr(normalMatrix));
        setMatrix(shader, "modelViewProjectionMatrix", viewProjection * model);
        for (Mesh* mesh : object->meshes) {
            mesh->draw(shader);
        }
    }
    Shader::unuse();
    gBuffer.unbind();
}

void Renderer::ssaoPass() {
    ssao->render(gBuffer.getTexture(GL_COLOR_ATTACHMENT0),
                 gBuffer.getTexture(GL_COLOR_ATTACHMENT1));
}

// All point lights over the G-buffer, into whatever framebuffer is bound.
void Renderer::lightingPass(Scene* scene) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    Shader* shader = ShaderManager::getShader("deferredRenderPass");
    shader->use();
    int unit = 0;
    setInt(shader, "gWorldPosition", unit);
    gBuffer.bindTexture(GL_COLOR_ATTACHMENT0, unit++);
    setInt(shader, "gWorldNormal", unit);
    gBuffer.bindTexture(GL_COLOR_ATTACHMENT1, unit++);
    setInt(shader, "gDiffuse", unit);
    gBuffer.bindTexture(GL_COLOR_ATTACHMENT2, unit++);
    setInt(shader, "gAmbient", unit);
    ssao->bindResult(unit++);

    glUniform3fv(uniform(shader, "eyePosition"), 1, glm::value_ptr(mainCamera->getPosition()));
    setInt(shader, "ssaoEnabled", RenderSettings::ssao ? 1 : 0);
    setInt(shader, "omniDirShadowsEnabled", RenderSettings::omnidirectionalShadows ? 1 : 0);
    setInt(shader, "colorShadowsEnabled", RenderSettings::coloredShadows ? 1 : 0);
    setInt(shader, "lightMode", static_cast<int>(RenderSettings::lightMode));
    setMatrix(shader, "inverseViewMatrix", glm::inverse(mainCamera->getViewMatrix()));

    for (size_t i = 0; i < scene->lights.size(); ++i) {
        const Light& light = *scene->lights[i];
        std::string prefix = "lights[" + intToString(static_cast<int>(i));
        glUniform3fv(uniform(shader, prefix + "].position"), 1, glm::value_ptr(light.position));
        glUniform3fv(uniform(shader, prefix + "].color"), 1, glm::value_ptr(light.color));
        glUniform1f(uniform(shader, prefix + "].linear"), light.linear);
        glUniform1f(uniform(shader, prefix + "].quadratic"), light.quadratic);
        glUniform1f(uniform(shader, prefix + "].radius"), lightRadius(light));
        if (i < omnidirectionalShadowMaps.size()) {
            glm::vec2 nearFar = omnidirectionalShadowMaps[i]->getNearFar();
            glUniform2fv(uniform(shader, prefix + "].near_far"), 1, glm::value_ptr(nearFar));
            setInt(shader, "shadowMaps[" + intToString(static_cast<int>(i)) + "]", unit);
            omnidirectionalShadowMaps[i]->bindTexture(unit);
            ++unit;
        }
    }

    disableSpareLights(shader, scene->lights.size(), unit + 1);
    setInt(shader, "colorShadowMap", unit);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, shadowMapping->getColorTexture());
    setMatrix(shader, "lightViewProjectionMatrix",
              biasMatrix * shadowMapping->getLightViewProjection());

    screenQuad->draw();
    Shader::unuse();
}

// Windows and flames over the lit image, hidden behind the opaque scene by its blitted depth.
void Renderer::forwardPass(Scene* scene) {
    int width = RenderSettings::screenWidth;
    int height = RenderSettings::screenHeight;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gBuffer.getId());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, RenderSettings::bloom ? hdrBuffer.getId() : 0);
    glViewport(0, 0, width, height);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    if (RenderSettings::bloom) {
        hdrBuffer.bind();
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    glm::mat4 viewProjection = cameraViewProjection();

    Shader* shader = ShaderManager::getShader("forwardRender");
    shader->use();
    glDisable(GL_CULL_FACE);
    for (SceneObject* object : scene->transparentObjects) {
        setMatrix(shader, "modelViewProjectionMatrix", viewProjection * object->modelMatrix);
        for (Mesh* mesh : object->meshes) {
            mesh->draw(shader);
        }
    }
    Shader::unuse();
    glEnable(GL_CULL_FACE);

    for (Billboard* billboard : scene->billboards) {
        billboard->orient(mainCamera->getRotation());
        billboard->render(viewProjection, deltaTime);
    }
}

// Blurred bright parts added to the lit image, into the window.
void Renderer::bloomPass(Scene* /*scene*/) {
    gaussBlur->blur(hdrBuffer.getTexture(GL_COLOR_ATTACHMENT1));
    glViewport(0, 0, RenderSettings::screenWidth, RenderSettings::screenHeight);
    Shader* shader = ShaderManager::getShader("bloom");
    shader->use();
    setInt(shader, "color_texture", 0);
    hdrBuffer.bindTexture(GL_COLOR_ATTACHMENT0, 0);
    setInt(shader, "bloom_texture", 1);
    gaussBlur->bindResult(1);
    screenQuad->draw();
    Shader::unuse();
}
