// The frame's buffers a person can look at instead of the final image, in the order F8 steps
// through them. Each view has one display name (console line, overlay) and one command-line
// name derived from it (lower case, words joined by dashes: "world-position").
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

// "Final Image", "World Position", ... as the console and the overlay show them.
const char* debugViewName(DebugView view);
// The view after `view`; after the last comes "Final Image" again.
DebugView nextDebugView(DebugView view);
// "final-image", "world-position", ...
std::string debugViewArgument(DebugView view);
// The view whose argument is `argument` exactly; none for anything else.
std::optional<DebugView> debugViewFromArgument(const std::string& argument);
