// Fuzz target for the baked indirect light's reader: any bytes as the probe file. Besides the
// sanitizers' checks it holds the reader to what the renderer relies on when it accepts a file:
// as many probes as the counts say, finite values, weights within 0..1, and a blend that stays
// finite wherever it is asked.
#include "scene/IrradianceProbeGrid.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "ProbeFileFuzzer: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> bytes(reinterpret_cast<const char*>(data),
                            reinterpret_cast<const char*>(data) + size);
    IrradianceProbeGrid grid;
    std::string error;
    if (!IrradianceProbeGrid::parse(bytes, "fuzz.probes", grid, error)) {
        if (error.find("fuzz.probes") == std::string::npos) {
            fail("a refusal that does not name the file");
        }
        return 0;
    }
    if (grid.probeCount() !=
        size_t(grid.counts.x) * size_t(grid.counts.y) * size_t(grid.counts.z)) {
        fail("probe count differs from the grid's counts");
    }
    for (const IrradianceProbeGrid::Probe& probe : grid.probes) {
        if (!(probe.weight >= 0.0f && probe.weight <= 1.0f)) {
            fail("a weight outside 0..1");
        }
    }
    glm::vec3 light;
    glm::vec3 corner = grid.position(grid.counts - 1);
    for (glm::vec3 p : {grid.origin, corner, 0.5f * (grid.origin + corner)}) {
        if (grid.sample(p, glm::vec3(0.0f, 1.0f, 0.0f), light) &&
            !(std::isfinite(light.x) && std::isfinite(light.y) && std::isfinite(light.z))) {
            fail("a blend that is not finite");
        }
    }
    return 0;
}
