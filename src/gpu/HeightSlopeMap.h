// HeightSlopeMap: the slopes of a bump texture's height map, derived once per texture (a
// derivative map). The geometry pass reads one filtered tap of the slopes per pixel instead of
// three taps of the heights; mipmapped, so a minified tap averages the slopes over the pixel's
// footprint, as a difference of heights that far apart would.
#pragma once

#include "gpu/GL.h"

class Texture;

class HeightSlopeMap {
public:
    // The slope texture of a height texture (heights in its red channel), built on first use and
    // cached: RG16F, red = dh/ds and green = dh/dt in height (0..1) per texel of level 0, central
    // differences that wrap around the edges (the bump images tile), full mipmap chain, trilinear
    // filtering, repeat wrap. 0 when the height texture has no storage to read. Leaves unit 0
    // active with nothing new bound on it.
    static GLuint of(const Texture& heights);
    // Deletes every slope texture and empties the cache.
    static void deleteAll();
};
