// The frame's buffers a person can look at instead of the final image, in the order F8 steps
// through them: one table, a row per view, that the key switch, the renderer, the overlay, the
// benchmark and (through generated constants) the debug-view shader read. Each view has one
// display name (console line, overlay); its command-line name and its shader constant are
// derived from it ("world-position", VIEW_WORLD_POSITION).
#pragma once

#include <optional>
#include <string>

enum class DebugView {
    FinalImage,
    WorldPosition,
    WorldNormal,
    DiffuseColor,
    AmbientOcclusion,
    Bloom,
    ColoredShadowMap,
    ShadowCubeMap,
    IndirectLight,
    Count
};

constexpr int kDebugViewCount = static_cast<int>(DebugView::Count);

// The frame's buffers a view can show; each is written by one pass, which the renderer records
// (whether it ever ran at the current size, whether it ran in the last frame).
enum class ViewBuffer {
    None,             // the final image itself
    WorldPosition,    // G-buffer attachment 0
    WorldNormal,      // G-buffer attachment 1
    DiffuseColor,     // G-buffer attachment 2
    AmbientOcclusion, // the SSAO pass's result
    Bloom,            // the blurred bright parts
    ColoredShadowMap, // the light view's colour map
    ShadowCubeMap,    // the cube map of the light nearest the camera
    IndirectLight,    // the baked probes, read with the G-buffer's positions and normals
    Count
};

constexpr int kViewBufferCount = static_cast<int>(ViewBuffer::Count);

// One view: its display name and the buffer it shows.
struct DebugViewRow {
    DebugView view;
    const char* name; // "Final Image", "World Position", ...
    ViewBuffer buffer;
};

// Every view in F8 order; row i describes DebugView i.
extern const DebugViewRow debugViews[kDebugViewCount];

inline const DebugViewRow& debugViewRow(DebugView view) {
    return debugViews[static_cast<int>(view)];
}
// "Final Image", "World Position", ... as the console and the overlay show them.
const char* debugViewName(DebugView view);
// "final-image", "world-position", ...
std::string debugViewArgument(DebugView view);
// "VIEW_FINAL_IMAGE", "VIEW_WORLD_POSITION", ...: the view's number in the shaders.
std::string debugViewConstant(DebugView view);
// The view whose argument is `argument` exactly; none for anything else.
std::optional<DebugView> debugViewFromArgument(const std::string& argument);
