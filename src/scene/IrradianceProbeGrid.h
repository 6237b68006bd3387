// IrradianceProbeGrid: the interior's indirect light, baked offline into a regular 3D grid of
// probes. Each probe holds, per colour channel, the light that bounced surfaces send towards its
// point as a linear function of the receiving normal (spherical harmonics of bands 0 and 1,
// already convolved with the cosine lobe). The bake writes it, the lighting pass reads it.
#pragma once

#include <glm/glm.hpp>

#include <cstddef>
#include <string>
#include <vector>

// File "Assets/indirect_light.probes", all values little-endian:
//   bytes 0..7    magic "CATHPRB1"
//   3 x uint32    probe counts nx, ny, nz (each 2 .. 256)
//   3 x float32   world position of probe (0, 0, 0)
//   float32       spacing between neighbouring probes, world units (> 0)
//   nx*ny*nz probes, x fastest, then y, then z; each 13 x float32:
//     red (a, bx, by, bz), green (a, bx, by, bz), blue (a, bx, by, bz), weight
//   The indirect light a surface of normal n receives near the probe is max(0, a + b . n) per
//   channel, in the lamps' units: a surface of albedo k reflects k times it, as the lighting pass
//   does for direct light. weight is 1 for a probe in open space and 0 for one inside solid
//   geometry or outside the building, whose light must not be interpolated into a surface.
class IrradianceProbeGrid {
public:
    static constexpr int maxCount = 256;
    static constexpr int floatsPerProbe = 13;

    glm::ivec3 counts{0};
    glm::vec3 origin{0.0f};
    float spacing = 1.0f;
    // Per probe: red, green and blue as (a, bx, by, bz), then (weight, 0, 0, 0).
    std::vector<glm::vec4> probes;

    IrradianceProbeGrid() = default;
    IrradianceProbeGrid(glm::ivec3 counts, glm::vec3 origin, float spacing);

    size_t probeCount() const;
    size_t index(glm::ivec3 cell) const;
    glm::vec3 position(glm::ivec3 cell) const;
    glm::vec4& channel(glm::ivec3 cell, int c);
    const glm::vec4& channel(glm::ivec3 cell, int c) const;
    float weight(glm::ivec3 cell) const;
    void setWeight(glm::ivec3 cell, float weight);

    // Indirect light at world point p for unit normal n: the weighted trilinear blend of the
    // eight probes around p, as the lighting pass samples it (probes of weight 0 take no part).
    // Returns false where every probe around p has weight 0.
    bool sample(glm::vec3 p, glm::vec3 n, glm::vec3& light) const;

    // Writes the file format above; false when the file cannot be written.
    bool write(const std::string& path) const;
    // Reads a file in the format above. On any fault (missing, unreadable, wrong magic, counts or
    // spacing out of range, truncated, trailing bytes, values not finite) it returns false and
    // `error` says what was wrong, in words that name the file.
    static bool read(const std::string& path, IrradianceProbeGrid& grid, std::string& error);
};
