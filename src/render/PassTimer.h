// GPU timing of the frame's passes. The renderer brackets each pass with begin/end; while no
// measurement is active (the demo) both calls do nothing, so the frame pays nothing for them.
#pragma once

enum class FramePass { ShadowMaps, Geometry, SSAO, Lighting, Forward, Bloom, Count };

class PassTimer {
public:
    static void begin(FramePass pass);
    static void end(FramePass pass);
};
