// The program's own FramePipeline on the shared test window: start-up, frames and shutdown in
// the order the demo runs them, at a framebuffer size the test chooses. GL tests that need the
// real scene build this one object instead of assembling shaders, scene and renderer by hand.
#pragma once

#include "app/FramePipeline.h"

class TestPipeline {
public:
    // Needs the test context (GLTestContext::window() not null).
    TestPipeline(int width, int height);

    // One pass of the demo's frame loop with a fixed frame time: clear the window, then the
    // pipeline's frame. The buffer swap is left out, as the test window is never shown.
    void frame(double dt);

    const int width;
    const int height;
    FramePipeline pipeline;
};
