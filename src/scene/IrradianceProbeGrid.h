// IrradianceProbeGrid: the interior's indirect light, baked offline into a regular 3D grid of
// probes. Each probe holds the light that bounced surfaces send towards its point as a colour
// and one direction: spherical harmonics of bands 0 and 1, convolved with the cosine lobe, with
// the band-1 part taken from the luminance (the bounce light's colour barely changes with
// direction). The bake writes it, the lighting pass reads it.
#pragma once

#include <glm/glm.hpp>

#include <cstddef>
#include <string>
#include <vector>

// File "Assets/indirect_light.probes", all values little-endian:
//   bytes 0..7    magic "CATHPRB2"
//   3 x uint32    probe counts nx, ny, nz (each 2 .. 256)
//   3 x float32   world position of probe (0, 0, 0)
//   float32       spacing between neighbouring probes, world units (> 0)
//   nx*ny*nz probes, x fastest, then y, then z; each 7 x float32:
//     light r, g, b; direction x, y, z; weight
//   A surface of unit normal n near the probe receives light * max(0, 1 + direction . n), in the
//   lamps' units: a surface of albedo k reflects k times it, as the lighting pass does for direct
//   light (|direction| <= 2). weight is 1 for a probe in open space and 0 for one inside solid
//   geometry or outside the building, whose light must never be blended into a surface's.
class IrradianceProbeGrid {
public:
    struct Probe {
        glm::vec3 light{0.0f};     // the mean over all normals, linear RGB
        glm::vec3 direction{0.0f}; // the luminance's change with the normal, relative to it
        float weight = 0.0f;
    };
    static constexpr int maxCount = 256;
    static constexpr int floatsPerProbe = 7;

    glm::ivec3 counts{0};
    glm::vec3 origin{0.0f};
    float spacing = 1.0f;
    std::vector<Probe> probes; // x fastest, then y, then z

    IrradianceProbeGrid() = default;
    IrradianceProbeGrid(glm::ivec3 counts, glm::vec3 origin, float spacing);

    size_t probeCount() const { return probes.size(); }
    Probe& at(glm::ivec3 cell);
    const Probe& at(glm::ivec3 cell) const;
    glm::vec3 position(glm::ivec3 cell) const;
    glm::ivec3 cell(size_t index) const;

    // The luminance weights of the direction (Rec. 709).
    static float luminance(glm::vec3 rgb);

    // Indirect light at world point p for unit normal n, blended from the eight probes around p
    // exactly as the lighting pass filters them: trilinear, each probe weighted by its weight,
    // the direction by its weight and luminance. False where every probe around p has weight 0.
    bool sample(glm::vec3 p, glm::vec3 n, glm::vec3& light) const;

    // Writes the file format above; false when the file cannot be written.
    bool write(const std::string& path) const;
    // Reads a file in the format above. On any fault (missing, unreadable, wrong magic, counts or
    // spacing out of range, truncated, trailing bytes, values not finite, light negative or over
    // 1000, a direction longer than 2, a weight outside 0..1) it returns false and `error` is a
    // console line that names the file and the fault.
    static bool read(const std::string& path, IrradianceProbeGrid& grid, std::string& error);
    // The same for a file's bytes already in memory; `path` only names them in `error`.
    static bool parse(const std::vector<char>& bytes, const std::string& path,
                      IrradianceProbeGrid& grid, std::string& error);
};
