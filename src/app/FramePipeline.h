// FramePipeline: everything that exists behind the window. Builds the shader programs, the scene,
// the renderer and the two camera drivers in start-up order, runs the steps of a frame between
// event polling and the buffer swap, and releases it all in shutdown order. The demo, the
// benchmark and the GL tests run their frames through this one object.
#pragma once

#include "gpu/GL.h"

class CameraPathAnimation;
class FreeLookController;
class Renderer;
class Scene;

class FramePipeline {
public:
    // Wall-clock milliseconds of each start-up step (the renderer's includes its uploads).
    struct StartupTimes {
        double shaders = 0.0;
        double scene = 0.0;
        double renderer = 0.0;
    };

    Scene* scene = nullptr;
    Renderer* renderer = nullptr;
    FreeLookController* freeLookController = nullptr; // reads keys and cursor of the window
    CameraPathAnimation* pathAnimation = nullptr;
    StartupTimes startupTimes;

    // Needs the window's context current with the initial GL state set. Builds, in this order:
    // every shader program (a program that does not build ends the process), the scene, the
    // renderer for a width x height framebuffer with one cube shadow map per light, the free-look
    // controller and the path animation, both bound to the scene's camera. The camera belongs to
    // the path animation until the tour has ended.
    FramePipeline(GLFWwindow* window, int width, int height);
    // Releases everything in shutdown order, with the context still current: meshes, shader
    // programs, the scene, the renderer, cached textures and animations, the camera drivers.
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // One frame after event polling: the tour advances, hands the camera to the user once it has
    // ended, the free-look controller moves it, the scene advances and the renderer draws. The
    // first frame always renders shadow maps, whatever the options say.
    void frame(double dt);
    // The same, with the tour advanced by `tourDt` while the scene and the renderer get `sceneDt`
    // (a benchmark jumps along the tour at a fixed frame time).
    void frame(double tourDt, double sceneDt);
    // The frame's steps up to the renderer: tour, camera hand-over, free look, scene. A window
    // that shows nothing (minimised) runs only these, so the tour keeps its clock.
    void advance(double tourDt, double sceneDt);
    // Draws the advanced frame.
    void render();
    // Follows the framebuffer's size (Renderer::resize): a side below 1 changes nothing.
    void resize(int width, int height);
    // A new tour from its start, owning the camera again; the first-frame rule is not repeated.
    void restartTour();

private:
    void handOverFirstFrameTime(float dt);

    bool firstFrame = true;
    float sceneFrameTime = 0.0f; // handed to the renderer by render()
};
