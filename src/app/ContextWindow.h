// Opening the program's kind of window: an OpenGL 3.3 core-profile debug context, made current,
// with GLEW's entry points loaded. The demo, the benchmark and the GL tests all open their window
// here, so they all render with the same kind of context and the same standing GL state.
#pragma once

#include "gpu/GL.h"

class ContextWindow {
public:
    // Initialises the window library, sets the context hints (debug context, version 3.3, core
    // profile, 60 Hz), creates the window titled "Window" (full screen on the primary monitor when
    // `fullscreen`, never shown when not `visible`), makes its context current, loads GLEW and
    // discards the error GLEW's start-up may leave pending. On failure prints "GLFW Init failed!",
    // "Creating Window failed!" or "Glew Init failed!" and returns null; what was created is left
    // for the process exit.
    static GLFWwindow* open(int width, int height, bool fullscreen, bool visible);

    // The sky colour with alpha 0 as clear colour, the viewport over the whole window and the
    // standing state every pass assumes (StandingState.h).
    static void setInitialState(int width, int height);
};
