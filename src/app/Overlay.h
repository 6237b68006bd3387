// The on-screen overlay of F9, drawn with Dear ImGui over the finished frame: frames per second
// and frame time with a graph of the recent frames, the GPU time of every pass, every switch with
// its key, the debug view, the camera pose and the tour time. It exists only while shown: then
// the pass timer is active and attached to the renderer; without it no timer query is issued and
// the frame is untouched.
#pragma once

#include "gpu/GL.h"
#include "render/FramePass.h"

#include <vector>

class FramePipeline;

class Overlay {
public:
    // Creates the ImGui context with its GLFW (input callbacks left alone: the overlay takes no
    // input) and OpenGL 3 back ends, activates the pass timer and attaches it to the renderer.
    // Needs the window's context current.
    Overlay(GLFWwindow* window, FramePipeline* pipeline);
    // Detaches and deactivates the pass timer and releases ImGui's GL objects and context.
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    // Brackets the pipeline's frame for the pass timer.
    void beginFrame();
    // Ends the timer's frame, collects the passes' times that are ready, and draws the overlay
    // for a frame that took `dt` seconds into framebuffer 0. Leaves the standing GL state
    // (framebuffer 0, depth test, back-face culling, source-alpha blending, no scissor) and the
    // viewport over the framebuffer.
    void endFrame(double dt);

private:
    void recordFrameTime(double dt);
    void collectPassTimes();
    void drawWindow();
    void drawPassTimes();
    void drawSwitches();
    void drawCamera();

    FramePipeline* pipeline;
    std::vector<float> frameMs; // ring of the recent frames' times
    int nextFrame = 0;
    double passMs[kFramePassCount] = {};
    bool passRan[kFramePassCount] = {};
};
