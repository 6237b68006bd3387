// The passes of one frame, in frame order, and the hook through which a measuring tool (the
// benchmark's or the overlay's GPU timer) is told where each pass begins and ends. The renderer
// calls the hook only while one is attached, so an unobserved frame pays nothing for it.
#pragma once

enum class FramePass { ShadowMaps, Geometry, SSAO, Lighting, Forward, Bloom, Count };

constexpr int kFramePassCount = static_cast<int>(FramePass::Count);

// Called right before and right after a pass runs, with the renderer's GL context current. A
// pass that is switched off this frame is not announced at all.
struct PassHooks {
    void (*begin)(FramePass pass);
    void (*end)(FramePass pass);
};
