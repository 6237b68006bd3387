// HeadlessContext: the benchmark's OpenGL 3.3 core debug context without a window or a display,
// from EGL. A GPU's own EGL device comes first; without one, Mesa's surfaceless platform. A
// pbuffer of the run's size and the window's format stands in for the hidden window, so the
// default framebuffer exists as it does there; the frames themselves go to the benchmark's own
// off-screen output on either platform, so a headless frame and its capture take exactly the
// path of a windowed run's.
#pragma once

#include "gpu/GL.h"

#include <EGL/egl.h>

#include <string>

class HeadlessContext {
public:
    enum class Platform { Device, Surfaceless };

    // Opens the display, creates the width x height pbuffer and the context, makes them current
    // and loads the GL entry points. On failure prints one line naming what is missing (no EGL
    // vendor, no usable display, no pbuffer, no OpenGL 3.3 core context, entry points that did
    // not load) and returns null.
    static HeadlessContext* open(int width, int height);
    // Releases the context and the display.
    ~HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

    Platform platform() const { return displayPlatform; }
    // EGL_VENDOR of the display, for instance "NVIDIA" or "Mesa Project".
    const std::string& vendor() const { return displayVendor; }

    // "EGL device" or "EGL surfaceless", as the report names the platform.
    static const char* platformName(Platform platform);
    // Whether an EGL device's extension string names a real GPU: Mesa also lists its software
    // rasteriser as a device (EGL_MESA_device_software), which is no reason to prefer it.
    static bool isHardwareDevice(const std::string& deviceExtensions);
    // GLEW's result for a context that is not GLX's: the entry points load through the
    // vendor-neutral dispatch, then GLEW reports that it found no GLX display. Only that, or
    // success, counts as loaded.
    static bool glewLoadedEntryPoints(GLenum glewResult);

private:
    HeadlessContext(EGLDisplay display, Platform platform);

    EGLDisplay display;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    Platform displayPlatform;
    std::string displayVendor;
};
