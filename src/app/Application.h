// The program's shell: opens the window and its OpenGL 3.3 core debug context, builds the
// shaders, the scene, the renderer and the two camera drivers, runs the frame loop until the
// window's close flag is set, and releases the GPU objects while the context is still current.
#pragma once

#include "gpu/GL.h"

#include <string>

class CameraPathAnimation;
class FramePipeline;
class FreeLookController;
class IniFile;
class Renderer;
class Scene;

class Application {
public:
    GLFWwindow* window = nullptr;
    bool running = false; // the loop runs only while true; the close flag ends it
    // The pipeline's objects, owned by `pipeline` and released with it by shutdown().
    Scene* scene = nullptr;
    Renderer* renderer = nullptr;
    FreeLookController* freeLookController = nullptr;
    CameraPathAnimation* pathAnimation = nullptr;
    int width = 1024;
    int height = 768;
    bool fullscreen = false;
    FramePipeline* pipeline = nullptr; // everything behind the window, built by init()

    Application() = default;
    // Shuts the window library down, which destroys the window and its context.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Builds everything in start-up order. False only when the window, the context or GLEW
    // could not be created; a shader that does not build ends the process instead.
    bool init();
    // Reads the options, opens the window and sets the initial OpenGL state. Prints one of
    // "GLFW Init failed!", "Creating Window failed!", "Glew Init failed!" or, for a size beyond
    // what the window system or the driver's render targets take, a line naming it, and returns
    // false on failure, leaving what was created for the process exit.
    bool initWindow();
    // Sets width, height, fullscreen and RenderSettings::updateShadowMaps from section "Window".
    // A width or height below 1 cannot open a window: it is reported and replaced by its default.
    void readOptions(const IniFile& options);
    // The frame loop, then shutdown(). Each frame follows the framebuffer's size; while the
    // window shows nothing (minimised, hidden or 0 x 0) the tour and the scene advance but
    // nothing is rendered.
    void run();
    // Whether the window can show a frame now; if so, the renderer takes the framebuffer's size.
    bool followFramebuffer();
    // Releases the pipeline: meshes, shader programs, the scene and the renderer, in that
    // order, then the cached image textures and animations and the two camera drivers.
    void shutdown();
};
