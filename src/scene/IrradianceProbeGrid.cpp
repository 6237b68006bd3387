// IrradianceProbeGrid: layout, sampling and the file format of the baked indirect light.
#include "scene/IrradianceProbeGrid.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

const char probeFileMagic[8] = {'C', 'A', 'T', 'H', 'P', 'R', 'B', '1'};
const size_t headerBytes = 8 + 3 * 4 + 3 * 4 + 4;

void putU32(std::vector<char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(char((v >> (8 * i)) & 0xffu));
    }
}

void putF32(std::vector<char>& out, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    putU32(out, v);
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

} // namespace

IrradianceProbeGrid::IrradianceProbeGrid(glm::ivec3 counts, glm::vec3 origin, float spacing)
    : counts(counts), origin(origin), spacing(spacing),
      probes(size_t(counts.x) * size_t(counts.y) * size_t(counts.z) * 4, glm::vec4(0.0f)) {}

size_t IrradianceProbeGrid::probeCount() const {
    return size_t(counts.x) * size_t(counts.y) * size_t(counts.z);
}

size_t IrradianceProbeGrid::index(glm::ivec3 cell) const {
    return (size_t(cell.z) * size_t(counts.y) + size_t(cell.y)) * size_t(counts.x) + size_t(cell.x);
}

glm::vec3 IrradianceProbeGrid::position(glm::ivec3 cell) const {
    return origin + glm::vec3(cell) * spacing;
}

glm::vec4& IrradianceProbeGrid::channel(glm::ivec3 cell, int c) {
    return probes[index(cell) * 4 + size_t(c)];
}

const glm::vec4& IrradianceProbeGrid::channel(glm::ivec3 cell, int c) const {
    return probes[index(cell) * 4 + size_t(c)];
}

float IrradianceProbeGrid::weight(glm::ivec3 cell) const {
    return probes[index(cell) * 4 + 3].x;
}

void IrradianceProbeGrid::setWeight(glm::ivec3 cell, float weight) {
    probes[index(cell) * 4 + 3] = glm::vec4(weight, 0.0f, 0.0f, 0.0f);
}

bool IrradianceProbeGrid::sample(glm::vec3 p, glm::vec3 n, glm::vec3& light) const {
    glm::vec3 g = glm::clamp((p - origin) / spacing, glm::vec3(0.0f), glm::vec3(counts - 1));
    glm::ivec3 base = glm::min(glm::ivec3(glm::floor(g)), glm::max(counts - 2, 0));
    glm::vec3 f = g - glm::vec3(base);
    glm::vec4 basis(1.0f, n);
    glm::vec3 sum(0.0f);
    float weights = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        glm::ivec3 o(corner & 1, (corner >> 1) & 1, (corner >> 2) & 1);
        glm::vec3 t = glm::mix(glm::vec3(1.0f) - f, f, glm::vec3(o));
        float w = t.x * t.y * t.z * weight(base + o);
        for (int c = 0; c < 3; ++c) {
            sum[c] += w * glm::dot(channel(base + o, c), basis);
        }
        weights += w;
    }
    if (weights <= 1e-6f) {
        return false;
    }
    light = glm::max(sum / weights, glm::vec3(0.0f));
    return true;
}

bool IrradianceProbeGrid::write(const std::string& path) const {
    std::vector<char> out(probeFileMagic, probeFileMagic + 8);
    for (int i = 0; i < 3; ++i) {
        putU32(out, uint32_t(counts[i]));
    }
    for (int i = 0; i < 3; ++i) {
        putF32(out, origin[i]);
    }
    putF32(out, spacing);
    for (size_t p = 0; p < probeCount(); ++p) {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 4; ++k) {
                putF32(out, probes[p * 4 + size_t(c)][k]);
            }
        }
        putF32(out, probes[p * 4 + 3].x);
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
    glm::vec3 origin;
    for (int i = 0; i < 3; ++i) {
        origin[i] = getF32(bytes.data() + 20 + 4 * i);
    }
    float spacing = getF32(bytes.data() + 32);
    if (!std::isfinite(origin.x + origin.y + origin.z) || !(spacing > 0.0f) ||
        !std::isfinite(spacing)) {
        error = "Indirect light: " + path + " has no valid grid origin and spacing";
        return false;
    }
    IrradianceProbeGrid result(counts, origin, spacing);
    size_t expected = headerBytes + result.probeCount() * floatsPerProbe * 4;
    if (bytes.size() != expected) {
        error = "Indirect light: " + path + " holds " + std::to_string(bytes.size()) +
                " bytes, a grid of " + std::to_string(counts.x) + " x " + std::to_string(counts.y) +
                " x " + std::to_string(counts.z) + " probes needs " + std::to_string(expected);
        return false;
    }
    const char* p = bytes.data() + headerBytes;
    for (size_t probe = 0; probe < result.probeCount(); ++probe) {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 4; ++k, p += 4) {
                result.probes[probe * 4 + size_t(c)][k] = getF32(p);
            }
        }
        result.probes[probe * 4 + 3].x = getF32(p);
        p += 4;
        for (int c = 0; c < 4; ++c) {
            const glm::vec4& v = result.probes[probe * 4 + size_t(c)];
            if (!std::isfinite(v.x + v.y + v.z + v.w)) {
                error = "Indirect light: " + path + " holds values that are not finite numbers";
                return false;
            }
        }
    }
    grid = std::move(result);
    return true;
}
