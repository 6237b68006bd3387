// ProbeBaker: bakes the indirect light of a static scene into an IrradianceProbeGrid by Monte
// Carlo ray casting, once, offline. The asset step runs it on the generated cathedral and the
// scene's lamps; the tests run it on small rooms whose answer they know.
//
// Technique: an irradiance volume (Greger, Shirley, Hubbard and Greenberg, "The Irradiance
// Volume", IEEE Computer Graphics and Applications 18(2), 1998): probes on a regular grid, each
// storing the light arriving at its point as spherical harmonics of bands 0 and 1 convolved with
// the cosine lobe (Ramamoorthi and Hanrahan, "An Efficient Representation for Irradiance
// Environment Maps", SIGGRAPH 2001), band 1 from the luminance alone. Each probe casts a fixed,
// per-probe rotated spherical Fibonacci set of rays; the radiance leaving a hit is its albedo times
// the direct light there (lamps with shadow rays, plus unshadowed daylight) and, from the second
// bounce on, the previous bounce's grid sampled at the hit (probe feedback, as in McGuire et al.,
// "Dynamic Diffuse Global Illumination with Ray-Traced Irradiance Fields", JCGT 8(2), 2019, here
// computed once). A probe that sees too many back faces (it sits inside solid geometry) or whose
// rays leave the building (it is outside) gets weight 0, so its light is never interpolated into a
// surface.
#pragma once

#include "TriangleBvh.h"
#include "scene/IrradianceProbeGrid.h"

#include <cstdint>
#include <functional>
#include <vector>

// A point light as the lighting pass shades it.
struct BakeLight {
    glm::vec3 position;
    glm::vec3 color;
    float linear;
    float quadratic;
    float radius; // nothing is lit beyond it
};

// Linear albedo image, sampled at the nearest texel with wrapping texture coordinates.
struct BakeImage {
    int width = 0, height = 0;
    std::vector<glm::vec3> texels; // rows from v = 0 up
    glm::vec3 sample(glm::vec2 uv) const;
};

struct BakeSurface {
    glm::vec3 albedo{0.5f};           // linear, used without an image
    const BakeImage* image = nullptr; // not owned
};

struct BakeScene {
    std::vector<Triangle> opaque;      // bounce light and cast shadows; front faces face the room
    std::vector<Triangle> closures;    // let light through (panes) but close the building
    std::vector<BakeSurface> surfaces; // indexed by Triangle::surface
    std::vector<BakeLight> lights;
    // Unshadowed direct light at a point with unit normal n, added to the lamps'; may be empty.
    std::function<glm::vec3(glm::vec3 p, glm::vec3 n)> daylight;
};

struct BakeSettings {
    glm::ivec3 counts{2};
    glm::vec3 origin{0.0f};
    float spacing = 1.0f;
    int raysPerProbe = 256;
    int bounces = 2;
    uint32_t seed = 1;
    int threads = 0;           // 0: one per core; the result does not depend on it
    float invalidShare = 0.1f; // share of back-face or escaping rays that invalidates
};

// The lighting pass's attenuation of a lamp at distance d, windowed to reach 0 at its radius with
// zero slope (shadeLight in Shader/deferredRenderPass.frag).
float lampFalloff(const BakeLight& light, float d);

// Bakes the grid; the same scene and settings give the same bytes on every run and build.
IrradianceProbeGrid bakeProbes(const BakeScene& scene, const BakeSettings& settings);
