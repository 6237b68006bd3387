// HeadlessContext: display choice, context creation and GL entry-point loading over EGL.
#include "HeadlessContext.h"

#include "base/Console.h"

#include <EGL/eglext.h>

#include <vector>

namespace {

bool hasExtension(const char* list, const std::string& name) {
    if (!list) {
        return false;
    }
    std::string padded = std::string(" ") + list + " ";
    return padded.find(" " + name + " ") != std::string::npos;
}

template <typename Function> Function eglFunction(const char* name) {
    return reinterpret_cast<Function>(eglGetProcAddress(name));
}

EGLDisplay initialised(EGLDisplay display) {
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        return EGL_NO_DISPLAY;
    }
    return display;
}

// The first GPU among the EGL devices, initialised; EGL_NO_DISPLAY when there is none.
EGLDisplay openDeviceDisplay(const char* clientExtensions) {
    if (!hasExtension(clientExtensions, "EGL_EXT_platform_device") ||
        !hasExtension(clientExtensions, "EGL_EXT_device_enumeration")) {
        return EGL_NO_DISPLAY;
    }
    auto queryDevices = eglFunction<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
    auto queryString = eglFunction<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
    auto platformDisplay = eglFunction<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    EGLint count = 0;
    if (!queryDevices || !queryString || !platformDisplay || !queryDevices(0, nullptr, &count) ||
        count < 1) {
        return EGL_NO_DISPLAY;
    }
    std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
    if (!queryDevices(count, devices.data(), &count)) {
        return EGL_NO_DISPLAY;
    }
    for (EGLint i = 0; i < count; ++i) {
        const char* extensions = queryString(devices[i], EGL_EXTENSIONS);
        if (!HeadlessContext::isHardwareDevice(extensions ? extensions : "")) {
            continue;
        }
        EGLDisplay display =
            initialised(platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr));
        if (display != EGL_NO_DISPLAY) {
            return display;
        }
    }
    return EGL_NO_DISPLAY;
}

EGLDisplay openSurfacelessDisplay(const char* clientExtensions) {
    if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        return EGL_NO_DISPLAY;
    }
    auto platformDisplay = eglFunction<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (!platformDisplay) {
        return EGL_NO_DISPLAY;
    }
    return initialised(
        platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
}

// A pbuffer config of the window's format (8-bit RGBA, 24-bit depth, 8-bit stencil) that renders
// desktop OpenGL; null when the display has none.
EGLConfig chooseWindowLikeConfig(EGLDisplay display) {
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 8,
                                 EGL_DEPTH_SIZE,
                                 24,
                                 EGL_STENCIL_SIZE,
                                 8,
                                 EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !eglChooseConfig(display, attributes, &config, 1, &configs) || configs < 1) {
        return nullptr;
    }
    return config;
}

// An OpenGL 3.3 core-profile debug context; EGL_NO_CONTEXT on failure.
EGLContext createCoreContext(EGLDisplay display, EGLConfig config) {
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION_KHR,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION_KHR,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK_KHR,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT_KHR,
                                        EGL_CONTEXT_FLAGS_KHR,
                                        EGL_CONTEXT_OPENGL_DEBUG_BIT_KHR,
                                        EGL_NONE};
    return eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
}

// The core versions whose entry points the program calls beyond OpenGL 1.1 (which libOpenGL
// exports directly). GLEW sets a version's flag only when every entry point of it loaded.
struct CoreVersion {
    const char* name;
    GLboolean loaded;
};

// The first core version up to 3.3 whose entry points did not all load; null when all did.
const char* firstVersionNotLoaded() {
    const CoreVersion versions[] = {{"1.2", GLEW_VERSION_1_2}, {"1.3", GLEW_VERSION_1_3},
                                    {"1.4", GLEW_VERSION_1_4}, {"1.5", GLEW_VERSION_1_5},
                                    {"2.0", GLEW_VERSION_2_0}, {"2.1", GLEW_VERSION_2_1},
                                    {"3.0", GLEW_VERSION_3_0}, {"3.1", GLEW_VERSION_3_1},
                                    {"3.2", GLEW_VERSION_3_2}, {"3.3", GLEW_VERSION_3_3}};
    for (const CoreVersion& version : versions) {
        if (!version.loaded) {
            return version.name;
        }
    }
    return nullptr;
}

bool loadEntryPoints() {
    glewExperimental = GL_TRUE;
    GLenum result = glewInit();
    if (!HeadlessContext::glewLoadedEntryPoints(result)) {
        printLine(std::string("Glew Init failed! (") +
                  reinterpret_cast<const char*>(glewGetErrorString(result)) + ")");
        return false;
    }
    if (const char* version = firstVersionNotLoaded()) {
        printLine(std::string("cathedral-bench: the OpenGL ") + version +
                  " entry points did not all load through EGL; cannot render headless");
        return false;
    }
    // GLEW's start-up may leave an error pending; it is cleared here, never reported.
    glGetError();
    return true;
}

} // namespace

HeadlessContext::HeadlessContext(EGLDisplay display, Platform platform)
    : display(display), displayPlatform(platform) {
    const char* vendor = eglQueryString(display, EGL_VENDOR);
    displayVendor = vendor ? vendor : "unknown";
}

HeadlessContext* HeadlessContext::open(int width, int height) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_EXT_platform_base")) {
        printLine("cathedral-bench: no EGL implementation: libEGL found no vendor library "
                  "(__EGL_VENDOR_LIBRARY_FILENAMES can name the driver's vendor file)");
        return nullptr;
    }
    Platform platform = Platform::Device;
    EGLDisplay display = openDeviceDisplay(clientExtensions);
    if (display == EGL_NO_DISPLAY) {
        platform = Platform::Surfaceless;
        display = openSurfacelessDisplay(clientExtensions);
    }
    if (display == EGL_NO_DISPLAY) {
        printLine("cathedral-bench: EGL offers no GPU device and no surfaceless platform to "
                  "render on");
        return nullptr;
    }
    HeadlessContext* headless = new HeadlessContext(display, platform);
    std::string where = "cathedral-bench: the " + std::string(platformName(platform)) +
                        " display (" + headless->vendor() + ")";
    EGLConfig config = chooseWindowLikeConfig(display);
    if (!config) {
        printLine(where + " has no OpenGL pbuffer configuration");
        delete headless;
        return nullptr;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    headless->surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (headless->surface == EGL_NO_SURFACE) {
        printLine(where + " cannot create a " + intToString(width) + "x" + intToString(height) +
                  " pbuffer");
        delete headless;
        return nullptr;
    }
    const char* displayExtensions = eglQueryString(display, EGL_EXTENSIONS);
    if (hasExtension(displayExtensions, "EGL_KHR_create_context")) {
        headless->context = createCoreContext(display, config);
    }
    if (headless->context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, headless->surface, headless->surface, headless->context)) {
        printLine(where + " has no OpenGL 3.3 core context");
        delete headless;
        return nullptr;
    }
    if (!loadEntryPoints()) {
        delete headless;
        return nullptr;
    }
    return headless;
}

HeadlessContext::~HeadlessContext() {
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != EGL_NO_CONTEXT) {
        eglDestroyContext(display, context);
    }
    if (surface != EGL_NO_SURFACE) {
        eglDestroySurface(display, surface);
    }
    eglTerminate(display);
}

const char* HeadlessContext::platformName(Platform platform) {
    return platform == Platform::Device ? "EGL device" : "EGL surfaceless";
}

bool HeadlessContext::isHardwareDevice(const std::string& deviceExtensions) {
    return !hasExtension(deviceExtensions.c_str(), "EGL_MESA_device_software");
}

bool HeadlessContext::glewLoadedEntryPoints(GLenum glewResult) {
    return glewResult == GLEW_OK || glewResult == GLEW_ERROR_NO_GLX_DISPLAY;
}
