// IrradianceProbeGrid: layout, sampling and the file format of the baked indirect light.
#include "scene/IrradianceProbeGrid.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

const char probeFileMagic[8] = {'C', 'A', 'T', 'H', 'P', 'R', 'B', '2'};
const size_t headerBytes = 8 + 3 * 4 + 3 * 4 + 4;

void putF32(std::vector<char>& out, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    for (int i = 0; i < 4; ++i) {
        out.push_back(char((v >> (8 * i)) & 0xffu));
    }
}

uint32_t getU32(const char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= uint32_t(uint8_t(p[i])) << (8 * i);
    }
    return v;
}

float getF32(const char* p) {
    uint32_t v = getU32(p);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

bool finite(glm::vec3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// What a bake can write: light no negative and far below the half floats the lighting pass
// filters (so no blend overflows), a direction no longer than the harmonics allow (2, with room
// for rounding), a weight within 0..1.
bool validProbe(const IrradianceProbeGrid::Probe& probe) {
    const float largestLight = 1000.0f;
    const float longestDirection = 2.001f;
    return finite(probe.light) && finite(probe.direction) &&
           glm::all(glm::greaterThanEqual(probe.light, glm::vec3(0.0f))) &&
           glm::all(glm::lessThanEqual(probe.light, glm::vec3(largestLight))) &&
           glm::dot(probe.direction, probe.direction) <= longestDirection * longestDirection &&
           probe.weight >= 0.0f && probe.weight <= 1.0f;
}

} // namespace

IrradianceProbeGrid::IrradianceProbeGrid(glm::ivec3 counts, glm::vec3 origin, float spacing)
    : counts(counts), origin(origin), spacing(spacing),
      probes(size_t(counts.x) * size_t(counts.y) * size_t(counts.z)) {}

IrradianceProbeGrid::Probe& IrradianceProbeGrid::at(glm::ivec3 c) {
    return probes[(size_t(c.z) * size_t(counts.y) + size_t(c.y)) * size_t(counts.x) + size_t(c.x)];
}

const IrradianceProbeGrid::Probe& IrradianceProbeGrid::at(glm::ivec3 c) const {
    return probes[(size_t(c.z) * size_t(counts.y) + size_t(c.y)) * size_t(counts.x) + size_t(c.x)];
}

glm::vec3 IrradianceProbeGrid::position(glm::ivec3 c) const {
    return origin + glm::vec3(c) * spacing;
}

glm::ivec3 IrradianceProbeGrid::cell(size_t index) const {
    size_t x = index % size_t(counts.x);
    size_t y = (index / size_t(counts.x)) % size_t(counts.y);
    size_t z = index / (size_t(counts.x) * size_t(counts.y));
    return glm::ivec3(int(x), int(y), int(z));
}

float IrradianceProbeGrid::luminance(glm::vec3 rgb) {
    return glm::dot(rgb, glm::vec3(0.2126f, 0.7152f, 0.0722f));
}

bool IrradianceProbeGrid::sample(glm::vec3 p, glm::vec3 n, glm::vec3& light) const {
    glm::vec3 g = glm::clamp((p - origin) / spacing, glm::vec3(0.0f), glm::vec3(counts - 1));
    glm::ivec3 base = glm::min(glm::ivec3(glm::floor(g)), counts - 2);
    glm::vec3 f = g - glm::vec3(base);
    glm::vec4 lightSum(0.0f), directionSum(0.0f);
    for (int corner = 0; corner < 8; ++corner) {
        glm::ivec3 o(corner & 1, (corner >> 1) & 1, (corner >> 2) & 1);
        glm::vec3 t = glm::mix(glm::vec3(1.0f) - f, f, glm::vec3(o));
        const Probe& probe = at(base + o);
        float w = t.x * t.y * t.z * probe.weight;
        lightSum += w * glm::vec4(probe.light, 1.0f);
        directionSum += w * luminance(probe.light) * glm::vec4(probe.direction, 1.0f);
    }
    if (lightSum.w <= 1e-3f) {
        return false;
    }
    glm::vec3 direction =
        directionSum.w > 1e-6f ? glm::vec3(directionSum) / directionSum.w : glm::vec3(0.0f);
    light = glm::vec3(lightSum) / lightSum.w * std::max(0.0f, 1.0f + glm::dot(direction, n));
    return true;
}

bool IrradianceProbeGrid::write(const std::string& path) const {
    std::vector<char> out(probeFileMagic, probeFileMagic + 8);
    for (int i = 0; i < 3; ++i) {
        uint32_t n = uint32_t(counts[i]);
        for (int b = 0; b < 4; ++b) {
            out.push_back(char((n >> (8 * b)) & 0xffu));
        }
    }
    for (int i = 0; i < 3; ++i) {
        putF32(out, origin[i]);
    }
    putF32(out, spacing);
    for (const Probe& probe : probes) {
        for (int i = 0; i < 3; ++i) {
            putF32(out, probe.light[i]);
        }
        for (int i = 0; i < 3; ++i) {
            putF32(out, probe.direction[i]);
        }
        putF32(out, probe.weight);
    }
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), std::streamsize(out.size()));
    return bool(file);
}

bool IrradianceProbeGrid::read(const std::string& path, IrradianceProbeGrid& grid,
                               std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "Indirect light: cannot open " + path;
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    return parse(bytes, path, grid, error);
}

bool IrradianceProbeGrid::parse(const std::vector<char>& bytes, const std::string& path,
                                IrradianceProbeGrid& grid, std::string& error) {
    if (bytes.size() < headerBytes || std::memcmp(bytes.data(), probeFileMagic, 8) != 0) {
        error = "Indirect light: " + path + " is not a probe grid";
        return false;
    }
    glm::ivec3 counts;
    for (int i = 0; i < 3; ++i) {
        uint32_t n = getU32(bytes.data() + 8 + 4 * i);
        if (n < 2 || n > uint32_t(maxCount)) {
            error = "Indirect light: " + path + " has a probe count out of range (2 to 256)";
            return false;
        }
        counts[i] = int(n);
    }
    glm::vec3 origin(getF32(bytes.data() + 20), getF32(bytes.data() + 24),
                     getF32(bytes.data() + 28));
    float spacing = getF32(bytes.data() + 32);
    if (!finite(origin) || !std::isfinite(spacing) || !(spacing > 0.0f)) {
        error = "Indirect light: " + path + " has no valid grid origin and spacing";
        return false;
    }
    IrradianceProbeGrid result(counts, origin, spacing);
    size_t expected = headerBytes + result.probeCount() * floatsPerProbe * 4;
    if (bytes.size() != expected) {
        error = "Indirect light: " + path + " holds " + std::to_string(bytes.size()) +
                " bytes, but a grid of " + std::to_string(counts.x) + " x " +
                std::to_string(counts.y) + " x " + std::to_string(counts.z) + " probes needs " +
                std::to_string(expected);
        return false;
    }
    const char* p = bytes.data() + headerBytes;
    for (Probe& probe : result.probes) {
        probe.light = glm::vec3(getF32(p), getF32(p + 4), getF32(p + 8));
        probe.direction = glm::vec3(getF32(p + 12), getF32(p + 16), getF32(p + 20));
        probe.weight = getF32(p + 24);
        p += floatsPerProbe * 4;
        if (!validProbe(probe)) {
            error = "Indirect light: " + path + " holds values that are not valid probes";
            return false;
        }
    }
    grid = std::move(result);
    return true;
}
