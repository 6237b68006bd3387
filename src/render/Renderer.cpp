// Renderer: the frame's passes in order, the render targets they share and the uniforms each
// pass hands its program (looked up by name on every pass; nothing is cached).
#include "render/Renderer.h"

#include "app/RenderSettings.h"
#include "base/Console.h"
#include "gpu/Mesh.h"
#include "gpu/ObjectLabel.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "gpu/StandingState.h"
#include "render/Billboard.h"
#include "render/Frustum.h"
#include "render/GaussBlurTechnique.h"
#include "render/IndirectLightProbes.h"
#include "render/LightShaftsTechnique.h"
#include "render/OmnidirectionalShadowMappingTechnique.h"
#include "render/SSAOTechnique.h"
#include "render/ShadowMappingTechnique.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "scene/ShadowLight.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {

// Maps the shadow light's clip space to [0, 1] texture coordinates and depth.
const glm::mat4 biasMatrix(0.5f, 0.0f, 0.0f, 0.0f, //
                           0.0f, 0.5f, 0.0f, 0.0f, //
                           0.0f, 0.0f, 0.5f, 0.0f, //
                           0.5f, 0.5f, 0.5f, 1.0f);

glm::mat4 cameraViewProjection() {
    return mainCamera->getProjectionMatrix() * mainCamera->getViewMatrix();
}

Framebuffer createGBuffer(int width, int height) {
    Framebuffer buffer(width, height, "G-buffer");
    buffer.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA16F, GL_RGBA, GL_FLOAT, glm::vec4(0.0f), true,
                      "world position");
    buffer.addTexture(GL_COLOR_ATTACHMENT1, GL_RGBA16F, GL_RGBA, GL_FLOAT, glm::vec4(0.0f), true,
                      "world normal");
    buffer.addTexture(GL_COLOR_ATTACHMENT2, GL_RGBA16F, GL_RGBA, GL_FLOAT,
                      glm::vec4(0.9f, 0.9f, 0.9f, 1.0f), true, "diffuse colour");
    buffer.addRenderbuffer();
    return buffer;
}

Framebuffer createHdrBuffer(int width, int height) {
    Framebuffer buffer(width, height, "HDR buffer");
    buffer.addTexture(GL_COLOR_ATTACHMENT0, GL_RGB16F, GL_RGB, GL_FLOAT, glm::vec4(0.0f), true,
                      "lit colour");
    buffer.addTexture(GL_COLOR_ATTACHMENT1, GL_RGB16F, GL_RGB, GL_FLOAT, glm::vec4(0.0f), true,
                      "bright parts");
    buffer.addRenderbuffer();
    return buffer;
}

// The finished frame in display colour for the anti-aliasing pass, which samples it between
// texels: clamped, so the border pixels do not blend with the opposite side.
Framebuffer createAaBuffer(int width, int height) {
    Framebuffer buffer(width, height, "anti-aliasing buffer");
    buffer.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, glm::vec4(0.0f),
                      true, "display colour");
    buffer.addRenderbuffer();
    glBindTexture(GL_TEXTURE_2D, buffer.getTexture(GL_COLOR_ATTACHMENT0));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return buffer;
}

// The program's light slots beyond the scene's lights: their radius goes to 0 so they light
// nothing whatever an earlier frame left there, and their cube-map samplers, which would
// otherwise read unit 0 where a 2D texture is bound (two sampler types on one unit make the draw
// fail), go to a unit that holds no texture.
void disableSpareLights(Shader* shader, size_t lightCount, int spareUnit) {
    for (int i = static_cast<int>(lightCount); i < maxLights; ++i) {
        std::string index = intToString(i);
        shader->setInt("shadowMaps[" + index + "]", spareUnit);
        shader->setFloat("lights[" + index + "].radius", 0.0f);
    }
}

} // namespace

Renderer::Renderer(int width, int height) : gBuffer(), hdrBuffer() {
    setStandingState();

    screenQuad = ScreenQuad::getInstance();
    largestTargetSize = Framebuffer::largestSize();
    buildScreenTargets(width, height);
    shadowMapping = new ShadowMappingTechnique(shadowMapSize, shadowMapSize);
    indirectLight = new IndirectLightProbes();
}

Renderer::~Renderer() {
    releaseScreenTargets();
    delete shadowMapping;
    delete indirectLight;
    for (OmnidirectionalShadowMappingTechnique* cubeMap : omnidirectionalShadowMaps) {
        delete cubeMap;
    }
}

void Renderer::resize(int width, int height) {
    if (width < 1 || height < 1) {
        return;
    }
    width = std::min(width, largestTargetSize);
    height = std::min(height, largestTargetSize);
    if (width == screenWidth && height == screenHeight) {
        return;
    }
    releaseScreenTargets();
    buildScreenTargets(width, height);
}

// The screen size, the viewport over it, the camera's aspect, and every target of that size.
void Renderer::buildScreenTargets(int width, int height) {
    screenWidth = width;
    screenHeight = height;
    RenderSettings::screenWidth = width;
    RenderSettings::screenHeight = height;
    mainCamera->setPerspective(70.0f, static_cast<float>(width) / static_cast<float>(height), 0.01f,
                               50.0f);

    gBuffer = createGBuffer(width, height);
    hdrBuffer = createHdrBuffer(width, height);
    aaBuffer = createAaBuffer(width, height);
    // Half size, rounded down, but never below one pixel: a 1-pixel side still blurs.
    gaussBlur = new GaussBlurTechnique(std::max(1, width / 2), std::max(1, height / 2));
    ssao = new SSAOTechnique(width, height);
    lightShafts = new LightShaftsTechnique(width, height);
    // The targets of this size hold nothing yet; the shadow maps keep their size and contents.
    for (ViewBuffer buffer :
         {ViewBuffer::WorldPosition, ViewBuffer::WorldNormal, ViewBuffer::DiffuseColor,
          ViewBuffer::AmbientOcclusion, ViewBuffer::Bloom}) {
        bufferFrame[static_cast<int>(buffer)] = 0;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
}

void Renderer::releaseScreenTargets() {
    gBuffer.release();
    hdrBuffer.release();
    aaBuffer.release();
    delete gaussBlur;
    delete ssao;
    delete lightShafts;
    gaussBlur = nullptr;
    ssao = nullptr;
    lightShafts = nullptr;
}

void Renderer::init(const std::vector<Light*>& lights) {
    for (Light* light : lights) {
        std::string label =
            "cube shadow map light " + std::to_string(omnidirectionalShadowMaps.size());
        auto* cubeMap =
            new OmnidirectionalShadowMappingTechnique(shadowMapSize, shadowMapSize, label);
        cubeMap->setLight(light);
        omnidirectionalShadowMaps.push_back(cubeMap);
    }
}

void Renderer::setDeltaTime(float dt) {
    deltaTime = dt;
}

void Renderer::attachPassHooks(const PassHooks* hooks) {
    passHooks = hooks;
}

void Renderer::setDebugGroups(bool on) {
    if (on && !objectLabelsOffered()) {
        printLine("GL debug groups need OpenGL 4.3 or GL_KHR_debug; the passes run without them");
    }
    debugGroups = on && objectLabelsOffered();
}

void Renderer::setOutputFramebuffer(GLuint framebuffer) {
    outputFramebuffer = framebuffer;
}

// The group encloses the hooks, so a measuring tool's queries show inside the pass's group.
template <typename Pass> void Renderer::runPass(FramePass pass, Pass&& body) {
    if (debugGroups) {
        pushDebugGroup(kFramePassNames[static_cast<int>(pass)].label);
    }
    if (passHooks) {
        passHooks->begin(pass);
    }
    body();
    if (passHooks) {
        passHooks->end(pass);
    }
    if (debugGroups) {
        popDebugGroup();
    }
}

void Renderer::bindOutput() {
    glBindFramebuffer(GL_FRAMEBUFFER, outputFramebuffer);
    glViewport(0, 0, RenderSettings::screenWidth, RenderSettings::screenHeight);
}

// Not cleared: the pass that draws into it writes every pixel.
void Renderer::bindFinishTarget() {
    if (finishTarget) {
        finishTarget->bind();
    } else {
        bindOutput();
    }
}

// The frame's passes in order. The lit image goes through the HDR buffer while bloom is on, so
// the bloom pass can add the glow on the way to the finish target; otherwise straight there. The
// finish target is the output, or while anti-aliasing is on the AA buffer, which the
// anti-aliasing pass then draws into the output.
void Renderer::render(Scene* scene) {
    ++frameNumber;
    finishTarget = RenderSettings::antiAliasing ? &aaBuffer : nullptr;
    Framebuffer* litTarget = RenderSettings::bloom ? &hdrBuffer : finishTarget;
    runPass(FramePass::ShadowMaps, [&] { renderShadowMaps(scene); });
    runPass(FramePass::Geometry, [&] { geometryPass(scene); });
    if (RenderSettings::ssao) {
        runPass(FramePass::SSAO, [&] { ssaoPass(); });
    }
    runPass(FramePass::Lighting, [&] { lightingPass(scene, litTarget); });
    if (RenderSettings::transparentObjects) {
        runPass(FramePass::Forward, [&] { forwardPass(scene, litTarget); });
    }
    if (RenderSettings::bloom) {
        runPass(FramePass::Bloom, [&] { bloomPass(); });
    }
    if (RenderSettings::antiAliasing) {
        runPass(FramePass::AntiAliasing, [&] { antiAliasingPass(); });
    }
    if (RenderSettings::debugView != DebugView::FinalImage) {
        debugViewPass();
    }
}

// The faces of a cube map to draw this frame (OmnidirectionalShadowMappingTechnique face mask).
// A map is drawn whole until it holds a frame, and whole again when updates stop while it holds
// only some faces, so a map that is no longer updated serves every later view. While the
// settings ask for updates, a map gets, every frame, exactly the faces whose share of the
// light's reach touches the view: a pixel in view, and its shadow taps, read no other face (a
// light whose reach lies outside the camera's frustum lights no pixel of the frame; its map
// keeps what it last held). The cube-map debug view shows whole maps.
int Renderer::cubeMapFacesToDraw(const OmnidirectionalShadowMappingTechnique& cubeMap,
                                 const Frustum& frustum) const {
    constexpr int all = OmnidirectionalShadowMappingTechnique::allFaces;
    if (!cubeMap.hasContents) {
        return all;
    }
    if (!RenderSettings::updateShadowMaps) {
        return cubeMap.facesHeld == all ? 0 : all;
    }
    if (RenderSettings::debugView == DebugView::ShadowCubeMap) {
        return all;
    }
    if (cubeMap.light == nullptr) {
        return 0;
    }
    // The lighting pass's shadow taps reach up to four texels from the pixel they shade (the
    // lift off the surface, the disk, the filter's footprint); a texel spans 2 d / face size at
    // d from the light.
    float margin = 4.0f * 2.0f * cubeMap.light->radius() / float(cubeMap.width);
    return cubeMap.facesTouching(frustum, margin);
}

// Cube maps while omnidirectional shadows are on, each with the faces cubeMapFacesToDraw picks;
// then the light-view maps, every frame. Leaves the blend equation and factors at the standing
// (FUNC_ADD, SRC_ALPHA, ONE_MINUS_SRC_ALPHA).
void Renderer::renderShadowMaps(Scene* scene) {
    if (RenderSettings::omnidirectionalShadows) {
        Frustum frustum(mainCamera->getProjectionMatrix() * mainCamera->getViewMatrix());
        for (OmnidirectionalShadowMappingTechnique* cubeMap : omnidirectionalShadowMaps) {
            int faces = cubeMapFacesToDraw(*cubeMap, frustum);
            if (faces != 0) {
                cubeMap->render(scene, faces);
            }
        }
        if (!omnidirectionalShadowMaps.empty()) {
            written(ViewBuffer::ShadowCubeMap);
        }
    }
    shadowMapping->render(scene);
    written(ViewBuffer::ColoredShadowMap);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// Reads the opaque objects' meshes and materials; writes world position, world normal and
// diffuse colour into the G-buffer. Leaves framebuffer 0 bound.
void Renderer::geometryPass(Scene* scene) {
    gBuffer.bind();
    gBuffer.clear();
    glm::mat4 view = mainCamera->getViewMatrix();
    glm::mat4 viewProjection = mainCamera->getProjectionMatrix() * view;

    Shader* shader = ShaderManager::getShader("deferredFirstPass");
    shader->use();
    // The alpha channels carry the bump tilt, not coverage.
    glDisable(GL_BLEND);
    shader->setInt("bumpMappingEnabled", RenderSettings::bumpMapping ? 1 : 0);
    for (SceneObject* object : scene->opaqueObjects) {
        const glm::mat4& model = object->modelMatrix;
        shader->setMat4("modelMatrix", model);
        shader->setMat4("viewMatrix", view);
        shader->setMat3("normalMatrix", glm::mat3(glm::transpose(glm::inverse(model))));
        shader->setMat4("modelViewProjectionMatrix", viewProjection * model);
        for (Mesh* mesh : object->meshes) {
            mesh->draw(shader);
        }
    }
    glEnable(GL_BLEND);
    Shader::unuse();
    gBuffer.unbind();
    written(ViewBuffer::WorldPosition);
    written(ViewBuffer::WorldNormal);
    written(ViewBuffer::DiffuseColor);
}

// Reads the G-buffer's position and normal; writes the occlusion term (SSAOTechnique).
void Renderer::ssaoPass() {
    ssao->render(gBuffer.getTexture(GL_COLOR_ATTACHMENT0),
                 gBuffer.getTexture(GL_COLOR_ATTACHMENT1));
    written(ViewBuffer::AmbientOcclusion);
}

// Reads the G-buffer, the occlusion term, the cube maps and the colored shadow map; writes every
// pixel of the lit image into the lit target: linear radiance into the HDR buffer, display values
// (tone-mapped and encoded) when it draws straight into the output. The target's colour and depth
// are cleared once first (the depth stays at the clear value: the quad writes none, and the
// forward pass replaces it with the scene's). Leaves the target bound and the clear colour at
// (0, 0, 0, 0).
void Renderer::lightingPass(Scene* scene, Framebuffer* litTarget) {
    if (litTarget) {
        litTarget->bind();
    } else {
        bindOutput();
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    Shader* shader = ShaderManager::getShader("deferredRenderPass");
    shader->use();
    int unit = 0;
    shader->setInt("gWorldPosition", unit);
    gBuffer.bindTexture(GL_COLOR_ATTACHMENT0, unit++);
    shader->setInt("gWorldNormal", unit);
    gBuffer.bindTexture(GL_COLOR_ATTACHMENT1, unit++);
    shader->setInt("gDiffuse", unit);
    gBuffer.bindTexture(GL_COLOR_ATTACHMENT2, unit++);
    shader->setInt("gAmbient", unit);
    ssao->bindResult(unit++);

    shader->setVec3("eyePosition", mainCamera->getPosition());
    shader->setInt("ssaoEnabled", RenderSettings::ssao ? 1 : 0);
    shader->setInt("omniDirShadowsEnabled", RenderSettings::omnidirectionalShadows ? 1 : 0);
    shader->setInt("colorShadowsEnabled", RenderSettings::coloredShadows ? 1 : 0);
    shader->setInt("lightMode", static_cast<int>(RenderSettings::lightMode));
    // Only the HDR buffer keeps linear radiance; any other target gets display values.
    shader->setInt("toneMapOutput", litTarget == &hdrBuffer ? 0 : 1);
    shader->setMat4("inverseViewMatrix", glm::inverse(mainCamera->getViewMatrix()));
    if (!scene->shadowLights.empty()) {
        shader->setVec3("lightViewPosition", scene->shadowLights.front()->position);
    }

    const int firstCubeUnit = unit;
    for (size_t i = 0; i < scene->lights.size(); ++i) {
        const Light& light = *scene->lights[i];
        std::string prefix = "lights[" + intToString(static_cast<int>(i));
        shader->setVec3(prefix + "].position", light.position);
        shader->setVec3(prefix + "].color", light.color);
        shader->setFloat(prefix + "].linear", light.linear);
        shader->setFloat(prefix + "].quadratic", light.quadratic);
        shader->setFloat(prefix + "].radius", light.radius());
        if (i < omnidirectionalShadowMaps.size()) {
            shader->setVec2(prefix + "].near_far", omnidirectionalShadowMaps[i]->getNearFar());
            shader->setInt("shadowMaps[" + intToString(static_cast<int>(i)) + "]", unit);
            omnidirectionalShadowMaps[i]->bindComparisonTexture(unit);
            ++unit;
        }
    }

    // The probes follow the colored shadow map; the spare lights' samplers, after them.
    indirectLight->bind(shader, unit + 1);
    if (indirectLight->loaded()) {
        written(ViewBuffer::IndirectLight);
    }
    disableSpareLights(shader, scene->lights.size(), unit + 1 + IndirectLightProbes::textureCount);
    shader->setInt("colorShadowMap", unit);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, shadowMapping->getColorTexture());
    shader->setMat4("lightViewProjectionMatrix",
                    biasMatrix * shadowMapping->getLightViewProjection());

    screenQuad->drawOverwriting();
    Shader::unuse();
    // The comparison samplers would turn any later read of those units into depth tests.
    for (int cubeUnit = firstCubeUnit; cubeUnit < unit; ++cubeUnit) {
        OmnidirectionalShadowMappingTechnique::unbindComparisonSampler(cubeUnit);
    }
}

// Reads the G-buffer's depth (blitted into the lit target, so the opaque scene hides what lies
// behind it); draws the windows and then the flames over the lit image. Leaves the target bound.
void Renderer::forwardPass(Scene* scene, Framebuffer* litTarget) {
    GLuint target = litTarget ? litTarget->getId() : outputFramebuffer;
    int width = RenderSettings::screenWidth;
    int height = RenderSettings::screenHeight;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gBuffer.getId());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    glViewport(0, 0, width, height);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glm::mat4 viewProjection = cameraViewProjection();

    // Without the HDR buffer the windows and flames write display values themselves.
    int toneMapOutput = litTarget == &hdrBuffer ? 0 : 1;
    Shader* flames = ShaderManager::getShader("billBoardShader");
    flames->use();
    flames->setInt("toneMapOutput", toneMapOutput);

    Shader* shader = ShaderManager::getShader("forwardRender");
    shader->use();
    shader->setInt("toneMapOutput", toneMapOutput);
    glDisable(GL_CULL_FACE);
    for (SceneObject* object : scene->transparentObjects) {
        shader->setMat4("modelViewProjectionMatrix", viewProjection * object->modelMatrix);
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

// Reads the HDR buffer's lit image and bright parts; blurs the bright parts at half size and
// draws the lit image with the glow added into the finish target. Leaves that target bound.
void Renderer::bloomPass() {
    hdrBuffer.unbind();
    gaussBlur->blur(hdrBuffer.getTexture(GL_COLOR_ATTACHMENT1));
    written(ViewBuffer::Bloom);
    bindFinishTarget();
    Shader* shader = ShaderManager::getShader("bloom");
    shader->use();
    shader->setInt("color_texture", 0);
    hdrBuffer.bindTexture(GL_COLOR_ATTACHMENT0, 0);
    shader->setInt("bloom_texture", 1);
    gaussBlur->bindResult(1);
    screenQuad->drawOverwriting();
    Shader::unuse();
}

// Reads the finished frame from the AA buffer; draws it anti-aliased over the whole output,
// without blending or depth test (the quad covers everything; the output's depth is left as it
// was). Leaves the output bound and the standing state.
void Renderer::antiAliasingPass() {
    bindOutput();
    Shader* shader = ShaderManager::getShader("fxaa");
    shader->use();
    shader->setInt("image", 0);
    aaBuffer.bindTexture(GL_COLOR_ATTACHMENT0, 0);
    screenQuad->drawOverwriting();
    Shader::unuse();
}

void Renderer::written(ViewBuffer buffer) {
    bufferFrame[static_cast<int>(buffer)] = frameNumber;
}

bool Renderer::viewHasData(DebugView view) const {
    ViewBuffer buffer = debugViewRow(view).buffer;
    return buffer == ViewBuffer::None || bufferFrame[static_cast<int>(buffer)] != 0;
}

bool Renderer::viewIsCurrent(DebugView view) const {
    ViewBuffer buffer = debugViewRow(view).buffer;
    return buffer == ViewBuffer::None || bufferFrame[static_cast<int>(buffer)] == frameNumber;
}

// The view over the whole output, without blending or depth test (the output's depth holds the
// scene).
void Renderer::debugViewPass() {
    DebugView view = RenderSettings::debugView;
    bindOutput();
    Shader* shader = ShaderManager::getShader("debugView");
    shader->use();
    shader->setInt("view", static_cast<int>(view));
    shader->setInt("image", 0);
    shader->setInt("cubeMap", 1);
    shader->setInt("normalImage", 2);
    // The probes' samplers always get their own units: left on unit 0 beside the 2D image they
    // would fail the draw. Bound first, so a view's own buffers take their units after.
    indirectLight->bind(shader, 3);
    shader->setInt("hasData", viewHasData(view) ? 1 : 0);
    shader->setVec2("outputSize", glm::vec2(screenWidth, screenHeight));
    bindViewBuffer(debugViewRow(view).buffer);
    screenQuad->drawOverwriting();
    Shader::unuse();
}

void Renderer::bindViewBuffer(ViewBuffer buffer) {
    switch (buffer) {
    case ViewBuffer::WorldPosition:
        gBuffer.bindTexture(GL_COLOR_ATTACHMENT0, 0);
        break;
    case ViewBuffer::WorldNormal:
        gBuffer.bindTexture(GL_COLOR_ATTACHMENT1, 0);
        break;
    case ViewBuffer::DiffuseColor:
        gBuffer.bindTexture(GL_COLOR_ATTACHMENT2, 0);
        break;
    case ViewBuffer::AmbientOcclusion:
        ssao->bindResult(0);
        break;
    case ViewBuffer::Bloom:
        gaussBlur->bindResult(0);
        break;
    case ViewBuffer::ColoredShadowMap:
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, shadowMapping->getColorTexture());
        break;
    case ViewBuffer::ShadowCubeMap:
        if (OmnidirectionalShadowMappingTechnique* cubeMap = nearestCubeMap()) {
            cubeMap->bindTexture(1);
            ShaderManager::getShader("debugView")->setVec2("cubeNearFar", cubeMap->getNearFar());
        }
        break;
    case ViewBuffer::IndirectLight:
        gBuffer.bindTexture(GL_COLOR_ATTACHMENT0, 0);
        gBuffer.bindTexture(GL_COLOR_ATTACHMENT1, 2);
        break;
    default:
        break;
    }
}

OmnidirectionalShadowMappingTechnique* Renderer::nearestCubeMap() const {
    OmnidirectionalShadowMappingTechnique* nearest = nullptr;
    float nearestDistance = std::numeric_limits<float>::max();
    glm::vec3 eye = mainCamera->getPosition();
    for (OmnidirectionalShadowMappingTechnique* cubeMap : omnidirectionalShadowMaps) {
        float distance = glm::distance(cubeMap->light->position, eye);
        if (distance < nearestDistance) {
            nearest = cubeMap;
            nearestDistance = distance;
        }
    }
    return nearest;
}
