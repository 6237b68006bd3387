// The GL state every pass assumes when it begins and restores when it ends: set once with the
// window, by the renderer and after the overlay's drawing, and checked by the tests. One table of
// capabilities (on or off) and the fixed settings beside them.
#pragma once

#include "gpu/GL.h"

// A capability and whether it stands enabled.
struct StandingCapability {
    GLenum capability;
    bool enabled;
    const char* name; // for messages: "depth test", ...
};

inline constexpr StandingCapability standingCapabilities[] = {
    {GL_DEPTH_TEST, true, "depth test"},
    {GL_CULL_FACE, true, "culling"},
    {GL_BLEND, true, "blending"},
    {GL_SCISSOR_TEST, false, "scissor test"},
    // Filtering across a cube map's face borders, so a penumbra does not step at a face seam.
    {GL_TEXTURE_CUBE_MAP_SEAMLESS, true, "seamless cube-map filtering"},
};

// Back faces culled; blending adds source-alpha-weighted colour; depth and colour writable.
constexpr GLenum standingCullFace = GL_BACK;
constexpr GLenum standingBlendEquation = GL_FUNC_ADD;
constexpr GLenum standingBlendSource = GL_SRC_ALPHA;
constexpr GLenum standingBlendDestination = GL_ONE_MINUS_SRC_ALPHA;

// Sets all of it: the capabilities, the cull face, the blend equation and factors, depth writes
// and all colour channels on. Binds nothing and leaves the viewport and clear colour alone.
void setStandingState();
