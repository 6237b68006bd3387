// FramePipeline: the start-up order, one frame's steps and the shutdown order, written once.
#include "app/FramePipeline.h"

#include "app/RenderSettings.h"
#include "gpu/Mesh.h"
#include "gpu/ShaderManager.h"
#include "gpu/Texture.h"
#include "render/AnimatedTextureTechnique.h"
#include "render/Renderer.h"
#include "scene/CameraPathAnimation.h"
#include "scene/FreeLookController.h"
#include "scene/Scene.h"

#include <chrono>

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

// Shaders come first because the scene's and the renderer's constructors look programs up; the
// renderer comes after the scene because it needs the lights, and it sets the camera's
// projection before either driver touches the camera.
FramePipeline::FramePipeline(GLFWwindow* window, int width, int height) {
    double start = nowMs();
    ShaderManager::loadShaders();
    double shadersDone = nowMs();
    scene = new Scene();
    double sceneDone = nowMs();
    renderer = new Renderer(width, height);
    renderer->init(scene->lights);
    glFinish(); // the uploads belong to start-up, not to the first frame
    double rendererDone = nowMs();
    startupTimes = {shadersDone - start, sceneDone - shadersDone, rendererDone - sceneDone};

    freeLookController = new FreeLookController(window);
    freeLookController->setCamera(scene->camera);
    pathAnimation = new CameraPathAnimation();
    pathAnimation->setCamera(scene->camera);
    freeLookController->enabled = false;
}

// The image textures and animations, kept by their caches for the whole run, and the two camera
// drivers go last, so nothing the program made outlives the context unreleased.
FramePipeline::~FramePipeline() {
    Mesh::deleteAll();
    ShaderManager::deleteShaders();
    delete scene;
    delete renderer;
    Texture::deleteAll();
    AnimatedTextureTechnique::deleteAll();
    delete freeLookController;
    delete pathAnimation;
}

void FramePipeline::frame(double dt) {
    frame(dt, dt);
}

void FramePipeline::frame(double tourDt, double sceneDt) {
    advance(tourDt, sceneDt);
    render();
}

void FramePipeline::advance(double tourDt, double sceneDt) {
    pathAnimation->update(tourDt);
    // Once the tour has ended the user keeps the camera for good.
    if (!pathAnimation->running) {
        freeLookController->enabled = true;
    }
    float dt = static_cast<float>(sceneDt);
    freeLookController->update(dt);
    scene->update(dt);
    if (firstFrame) {
        handOverFirstFrameTime(dt);
        firstFrame = false;
    }
    sceneFrameTime = dt;
}

void FramePipeline::render() {
    renderer->setDeltaTime(sceneFrameTime);
    renderer->render(scene);
}

void FramePipeline::resize(int width, int height) {
    renderer->resize(width, height);
}

void FramePipeline::restartTour() {
    Camera* camera = pathAnimation->camera;
    delete pathAnimation;
    pathAnimation = new CameraPathAnimation();
    pathAnimation->setCamera(camera);
    freeLookController->enabled = false;
}

// The first frame's time reaches the renderer with shadow-map updating forced on, whatever the
// options say; the renderer itself renders the cube maps until they hold a frame.
void FramePipeline::handOverFirstFrameTime(float dt) {
    bool savedUpdateShadowMaps = RenderSettings::updateShadowMaps;
    RenderSettings::updateShadowMaps = true;
    renderer->setDeltaTime(dt);
    RenderSettings::updateShadowMaps = savedUpdateShadowMaps;
}
