// The program's shell: opens the window and its OpenGL 3.3 core debug context, builds the
// shaders, the scene, the renderer and the two camera drivers, runs the frame loop until the
// window's close flag is set, and releases the GPU objects while the context is still current.
#pragma once

#include "gpu/GL.h"

#include <optional>
#include <string>

class CameraPathAnimation;
class FramePipeline;
class FreeLookController;
class IniFile;
class Overlay;
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
    // options.ini "vsync": unset leaves the driver's swap interval; false 0, true 1.
    std::optional<bool> vsync;
    Overlay* overlay = nullptr; // exists while RenderSettings::overlay is on

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
    // Sets width, height, fullscreen, vsync and RenderSettings::updateShadowMaps from section
    // "Window". A width or height below 1 cannot open a window: it is reported and replaced by
    // its default.
    void readOptions(const IniFile& options);
    // "vsync" of section "Window": absent or negative leaves the driver's default (unset), 0 is
    // off, any other value on; a malformed value reads as IniFile::getInt documents.
    static std::optional<bool> readVsync(const IniFile& options);
    // The frame loop, then shutdown(). Each frame follows the framebuffer's size; while the
    // window shows nothing (minimised, hidden or 0 x 0) the tour and the scene advance but
    // nothing is rendered.
    void run();
    // Whether the window can show a frame now; if so, the renderer takes the framebuffer's size.
    bool followFramebuffer();
    // Moves the window to the primary monitor's current video mode or back to its windowed
    // place and size when RenderSettings::fullscreen has changed (F11); the framebuffer's new
    // size reaches the renderer through followFramebuffer().
    void followFullscreenSwitch();
    // Creates or releases the overlay when RenderSettings::overlay has changed (F9).
    void followOverlaySwitch();
    // Rebuilds the shader programs when R asked for it (ShaderManager::reloadShaders) and returns
    // the seconds that took, 0 without a request. The loop keeps that time out of the next
    // frame's time, so the tour and the scene do not jump by it.
    double followShaderReload();
    // One rendered frame: the pipeline, the overlay over it when shown, the screenshot F12 asked
    // for, and the buffer swap.
    void presentFrame(double dt);

private:
    bool windowFullscreen = false; // what the window is now
    int windowedX = 0;             // where it goes back to from full screen
    int windowedY = 0;
    int windowedWidth = 0;
    int windowedHeight = 0;
    // Releases the pipeline: meshes, shader programs, the scene and the renderer, in that
    // order, then the cached image textures and animations and the two camera drivers.
    void shutdown();
};
