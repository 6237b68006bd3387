// The passes of one frame, in frame order, their names, and the hook through which a measuring
// tool (the benchmark's or the overlay's GPU timer) is told where each pass begins and ends. The
// renderer calls the hook only while one is attached, so an unobserved frame pays nothing for it.
#pragma once

enum class FramePass { ShadowMaps, Geometry, SSAO, Lighting, Forward, Bloom, AntiAliasing, Count };

constexpr int kFramePassCount = static_cast<int>(FramePass::Count);

// How a pass is named: `key` in reports (JSON and CSV, the overlay), `label` in tables and as
// the pass's GL debug group (Renderer::setDebugGroups).
struct FramePassName {
    const char* key;
    const char* label;
};

// In FramePass order; every list of passes (timer, overlay, bench tables and reports) uses it.
constexpr FramePassName kFramePassNames[kFramePassCount] = {
    {"shadowMaps", "shadow maps"},     {"geometry", "geometry"}, {"ssao", "SSAO"},
    {"lighting", "lighting"},          {"forward", "forward"},   {"bloom", "bloom"},
    {"antiAliasing", "anti-aliasing"},
};

// Called right before and right after a pass runs, with the renderer's GL context current. A
// pass that is switched off this frame is not announced at all.
struct PassHooks {
    void (*begin)(FramePass pass);
    void (*end)(FramePass pass);
};
