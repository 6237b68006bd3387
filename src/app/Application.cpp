// Application: start-up order, the frame loop and shutdown.
#include "app/Application.h"

#include "app/ContextWindow.h"
#include "app/DebugOutput.h"
#include "app/FramePipeline.h"
#include "app/IniFile.h"
#include "app/KeyControls.h"
#include "app/Overlay.h"
#include "app/RenderSettings.h"
#include "app/Screenshot.h"
#include "base/Console.h"
#include "gpu/Framebuffer.h"
#include "gpu/ShaderManager.h"
#include "render/Renderer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// A size the window system cannot open is replaced by the default, with a line saying so: what
// the file holds, and how it was read where that is not the same text ("abc" reads as 0).
int positiveSize(const IniFile& options, const char* key, int defaultValue) {
    int value = options.getInt("Window", key, defaultValue);
    if (value > 0) {
        return value;
    }
    std::string text = options.getText("Window", key);
    std::string read = intToString(value);
    std::string shown = text == read ? read : "\"" + text + "\" (read as " + read + ")";
    printLine(std::string("options.ini: ") + key + " " + shown + " is not a positive size; using " +
              intToString(defaultValue));
    return defaultValue;
}

// X11 carries window extents as signed 16-bit numbers: a larger window makes the server refuse
// the context's first drawing request inside glfwCreateWindow, and Xlib's default handler then
// ends the process before any OpenGL limit can be asked.
const int largestWindowSide = 32767;

// Seconds the loop sleeps in the window library's event wait while the window shows nothing, so
// a minimised demo does not spin.
const double hiddenWindowWait = 0.05;

// A size beyond what the window system or the driver's render targets can take would end the
// process inside the window library or leave every screen-sized render target incomplete and
// each frame full of OpenGL errors, so start-up ends instead, with a line naming the value.
bool withinLimit(int value, const char* key, int largest) {
    if (value <= largest) {
        return true;
    }
    printLine(std::string("options.ini: ") + key + " " + intToString(value) +
              " is larger than the largest size this system can render (" + intToString(largest) +
              ")");
    return false;
}

// CATHEDRAL_GL_GROUPS set to anything but "" or "0" puts every pass in a GL debug group for frame
// debuggers (Renderer::setDebugGroups). The driver echoes each group as a debug message, which the
// console shows, so a run without the variable prints only what it always printed.
bool debugGroupsAsked() {
    const char* value = std::getenv("CATHEDRAL_GL_GROUPS");
    return value != nullptr && std::strcmp(value, "") != 0 && std::strcmp(value, "0") != 0;
}

} // namespace

Application::~Application() {
    glfwTerminate();
}

bool Application::init() {
    if (!initWindow()) {
        return false;
    }
    glfwSetKeyCallback(window, keyCallback);
    running = true;
    // The targets take the framebuffer's size, which differs from the window's on a HiDPI screen.
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    pipeline =
        new FramePipeline(window, std::max(1, framebufferWidth), std::max(1, framebufferHeight));
    scene = pipeline->scene;
    renderer = pipeline->renderer;
    renderer->setDebugGroups(debugGroupsAsked());
    freeLookController = pipeline->freeLookController;
    pathAnimation = pipeline->pathAnimation;
    return true;
}

void Application::readOptions(const IniFile& options) {
    width = positiveSize(options, "width", 1024);
    height = positiveSize(options, "height", 768);
    fullscreen = options.getInt("Window", "fullscreen", 0) != 0;
    RenderSettings::updateShadowMaps = options.getInt("Window", "updateShadowMaps", 1) != 0;
    vsync = readVsync(options);
}

std::optional<bool> Application::readVsync(const IniFile& options) {
    int swapInterval = options.getInt("Window", "vsync", -1);
    if (swapInterval < 0) {
        return std::nullopt;
    }
    return swapInterval != 0;
}

bool Application::initWindow() {
    readOptions(IniFile::load("options.ini"));
    if (!withinLimit(width, "width", largestWindowSide) ||
        !withinLimit(height, "height", largestWindowSide)) {
        return false;
    }
    window = ContextWindow::open(width, height, fullscreen, true);
    if (!window) {
        return false;
    }
    int largest = Framebuffer::largestSize();
    if (!withinLimit(width, "width", largest) || !withinLimit(height, "height", largest)) {
        return false;
    }
    installDebugOutput();
    if (vsync) {
        glfwSwapInterval(*vsync ? 1 : 0);
    }
    RenderSettings::fullscreen = fullscreen;
    windowFullscreen = fullscreen;
    windowedWidth = width;
    windowedHeight = height;
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    ContextWindow::setInitialState(framebufferWidth, framebufferHeight);
    glfwSetCursorPos(window, static_cast<double>(width / 2), static_cast<double>(height / 2));
    return true;
}

void Application::run() {
    double previousTime = glfwGetTime();
    while (running && !glfwWindowShouldClose(window)) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        double now = glfwGetTime();
        double dt = now - previousTime;
        previousTime = now;
        glfwPollEvents();
        followFullscreenSwitch();
        followOverlaySwitch();
        previousTime += followShaderReload();
        if (!followFramebuffer()) {
            // Nothing to show: the tour and the scene go on, the renderer waits.
            pipeline->advance(dt, dt);
            glfwWaitEventsTimeout(hiddenWindowWait);
            continue;
        }
        presentFrame(dt);
    }
    shutdown();
}

void Application::presentFrame(double dt) {
    if (overlay) {
        overlay->beginFrame();
    }
    pipeline->frame(dt);
    if (overlay) {
        overlay->endFrame(dt);
    }
    if (RenderSettings::screenshotRequested) {
        RenderSettings::screenshotRequested = false;
        Screenshot::save(pipeline->renderer->width(), pipeline->renderer->height());
    }
    glfwSwapBuffers(window);
}

void Application::followFullscreenSwitch() {
    if (RenderSettings::fullscreen == windowFullscreen) {
        return;
    }
    if (!RenderSettings::fullscreen) {
        glfwSetWindowMonitor(window, nullptr, windowedX, windowedY, windowedWidth, windowedHeight,
                             GLFW_DONT_CARE);
        windowFullscreen = false;
        return;
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!mode) {
        printLine("Fullscreen not available: no monitor found");
        RenderSettings::fullscreen = false;
        return;
    }
    glfwGetWindowPos(window, &windowedX, &windowedY);
    glfwGetWindowSize(window, &windowedWidth, &windowedHeight);
    glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    windowFullscreen = true;
}

void Application::followOverlaySwitch() {
    if (RenderSettings::overlay && !overlay) {
        overlay = new Overlay(window, pipeline);
    } else if (!RenderSettings::overlay && overlay) {
        delete overlay;
        overlay = nullptr;
    }
}

double Application::followShaderReload() {
    if (!RenderSettings::shaderReloadRequested) {
        return 0.0;
    }
    RenderSettings::shaderReloadRequested = false;
    double start = glfwGetTime();
    ShaderManager::reloadShaders();
    return glfwGetTime() - start;
}

bool Application::followFramebuffer() {
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    if (framebufferWidth < 1 || framebufferHeight < 1 ||
        glfwGetWindowAttrib(window, GLFW_ICONIFIED) || !glfwGetWindowAttrib(window, GLFW_VISIBLE)) {
        return false;
    }
    pipeline->resize(framebufferWidth, framebufferHeight);
    return true;
}

void Application::shutdown() {
    delete overlay;
    overlay = nullptr;
    delete pipeline;
    pipeline = nullptr;
    scene = nullptr;
    renderer = nullptr;
    freeLookController = nullptr;
    pathAnimation = nullptr;
}
