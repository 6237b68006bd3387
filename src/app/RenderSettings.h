// The global record of run-time switches, light mode, debug view and screen size. The key
// callback, the settings file and the renderer write it; the passes and the loop read it.
// Statically initialised (no constructor runs), so it is valid before main() and needs no lock:
// everything runs on the one thread that owns the window.
#pragma once

#include "base/DebugView.h"
#include "gpu/ShaderConstants.h"

struct RenderSettings {
    static inline bool bumpMapping = true;            // F2; "bumpMappingEnabled"
    static inline bool bloom = true;                  // F3; lit image goes through HDR + bloom
    static inline bool ssao = true;                   // F4; SSAO pass and "ssaoEnabled"
    static inline bool transparentObjects = true;     // F5; forward pass for windows and flames
    static inline bool omnidirectionalShadows = true; // F6; cube maps and "omniDirShadowsEnabled"
    static inline bool updateShadowMaps = true;       // options.ini; false: cube maps once only
    static inline int screenWidth = 1024;             // set by the Renderer to the window size
    static inline int screenHeight = 768;
    static inline LightMode lightMode = AMBIENT_DIFFUSE_SPECULAR; // F1; "lightMode"
    static inline bool coloredShadows = false;                    // F7; "colorShadowsEnabled"
    static inline DebugView debugView = DebugView::FinalImage;    // F8; what the output shows
    static inline bool overlay = false;     // F9; frame times, pass times and switches on screen
    static inline bool antiAliasing = true; // F10; FXAA over the finished frame
    static inline bool fullscreen = false;  // F11 (and options.ini); the loop applies it
    static inline bool screenshotRequested = false;   // F12; the loop saves the next frame
    static inline bool shaderReloadRequested = false; // R; the loop rebuilds the programs
};
