// The on-screen overlay of F9, drawn with Dear ImGui over the finished frame: frames per second
// and frame time with a graph of the recent frames, the GPU time of every pass, every switch with
// its key, the debug view, the camera pose and the tour time at the top left, and at the top right
// a panel with a slider per tunable (Tunables.h) and a reset button, worked with the left mouse
// button. It exists only while shown: then the pass timer is active and attached to the renderer,
// and the panel takes the left button; without it no timer query is issued, the frame is
// untouched and nothing takes input. The statistics fit any window down to 320 x 240: when one
// column is taller than the window the switches move to a second column, and the text shrinks
// until the whole overlay fits; the panel follows the text size and can be folded away.
#pragma once

#include "gpu/GL.h"
#include "render/FramePass.h"

#include <string>
#include <vector>

class CameraPathAnimation;
class FramePipeline;
struct Tunable;

// Where the overlay was drawn in the last frame, in window pixels, and how it was laid out.
struct OverlayPlacement {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float textScale = 1.0f;
    int columns = 1;
};

class Overlay {
public:
    // Creates the ImGui context with its GLFW and OpenGL 3 back ends, installs the window's mouse
    // button callback (the left button's presses go to the panel; the keys and the other buttons
    // are left to the demo, which polls them), activates the pass timer and attaches it to the
    // renderer. Needs the window's context current.
    Overlay(GLFWwindow* window, FramePipeline* pipeline);
    // Detaches and deactivates the pass timer, gives the mouse button callback back and releases
    // ImGui's GL objects and context.
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

    OverlayPlacement placement() const { return placed; }
    // Where the slider of tunable `index` (Tunables.h order) lies in a window `windowWidth` pixels
    // wide at text scale 1: its centre's height, and the point at `share` (0 .. 1) along it. A
    // test driving the real demo points the mouse there; the panel is laid out from these numbers.
    static float sliderCentreY(int index);
    static float sliderX(int windowWidth, float share);

    // The tour line: the tour's own seconds (those of the benchmark's --capture and --from) with
    // the animation clock beside them, or "free look" once the user flies the camera.
    static std::string tourLine(const CameraPathAnimation& tour, bool freeLook);

private:
    void recordFrameTime(double dt);
    void collectPassTimes();
    void drawWindow();
    void drawFrameTimes();
    void drawPassTimes();
    void drawSwitches();
    void drawCamera();
    void drawTunablesPanel();
    void drawTunable(const Tunable& tunable);
    void resetTunablesWithLines();
    void sectionBreak() const;
    void fitToWindow(float contentWidth, float contentHeight);

    GLFWwindow* window;
    GLFWmousebuttonfun previousMouseButton = nullptr;
    FramePipeline* pipeline;
    bool panelBesideStatistics = true; // where the panel stood in the last frame
    OverlayPlacement placed;           // this frame's layout and the window's size
    OverlayPlacement lastLayout;       // the layout of the content this frame's size was fit to
    float singleColumnHeight = 0.0f;   // one column's height at full size; 0 until measured
    std::vector<float> frameMs;        // ring of the recent frames' times
    int nextFrame = 0;
    double passMs[kFramePassCount] = {};
    bool passRan[kFramePassCount] = {};
};
