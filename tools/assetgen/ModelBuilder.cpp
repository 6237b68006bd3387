// ModelBuilder: collects triangles per material and writes them as OBJ/MTL text with fixed
// number formatting, so the same model always gives the same bytes.
#include "ModelBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

void ModelBuilder::defineMaterial(const std::string& name, const Material& material) {
    if (materials.find(name) == materials.end()) {
        materialOrder.push_back(name);
    }
    materials[name] = material;
}

Group& ModelBuilder::group(const std::string& material) {
    Group& g = groups[material];
    g.material = material;
    return g;
}

void ModelBuilder::triangle(const std::string& material, const Vertex& a, const Vertex& b,
                            const Vertex& c) {
    Group& g = group(material);
    unsigned base = static_cast<unsigned>(g.vertices.size());
    g.vertices.push_back(a);
    g.vertices.push_back(b);
    g.vertices.push_back(c);
    g.indices.push_back(base);
    g.indices.push_back(base + 1);
    g.indices.push_back(base + 2);
}

Vertex ModelBuilder::planarVertex(glm::vec3 p, glm::vec3 n) const {
    glm::vec3 an = glm::abs(n);
    glm::vec2 uv;
    if (an.y >= an.x && an.y >= an.z) {
        uv = glm::vec2(p.x, p.z);
    } else if (an.x >= an.z) {
        uv = glm::vec2(p.z, p.y);
    } else {
        uv = glm::vec2(p.x, p.y);
    }
    return Vertex{p, n, uv / uvRepeat};
}

void ModelBuilder::quad(const std::string& material, glm::vec3 a, glm::vec3 b, glm::vec3 c,
                        glm::vec3 d) {
    glm::vec3 n = glm::cross(c - a, d - b);
    float len = glm::length(n);
    if (len < 1e-9f) {
        return;
    }
    n /= len;
    quad(material, planarVertex(a, n), planarVertex(b, n), planarVertex(c, n), planarVertex(d, n));
}

void ModelBuilder::quad(const std::string& material, const Vertex& a, const Vertex& b,
                        const Vertex& c, const Vertex& d) {
    if (glm::length(glm::cross(b.position - a.position, c.position - a.position)) > 1e-9f) {
        triangle(material, a, b, c);
    }
    if (glm::length(glm::cross(c.position - a.position, d.position - a.position)) > 1e-9f) {
        triangle(material, a, c, d);
    }
}

namespace {

// The exact position a coordinate is written as (%.4f).
glm::vec3 onWriteGrid(glm::vec3 p) {
    auto snap = [](float v) { return float(std::round(double(v) * 1e4) / 1e4); };
    return glm::vec3(snap(p.x), snap(p.y), snap(p.z));
}

// Every distinct corner position of a model, hashed by unit cells, for welding and for finding
// the corners that lie on an edge.
class PointGrid {
public:
    // The position already held within `tolerance` of p, or p itself, added.
    glm::vec3 weld(glm::vec3 p, float tolerance) {
        glm::ivec3 c = cellOf(p);
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dz = -1; dz <= 1; ++dz) {
                    auto it = cells.find(key(c + glm::ivec3(dx, dy, dz)));
                    if (it == cells.end()) {
                        continue;
                    }
                    for (const glm::vec3& q : it->second) {
                        if (glm::distance(p, q) <= tolerance) {
                            return q;
                        }
                    }
                }
            }
        }
        cells[key(c)].push_back(p);
        return p;
    }

    // The held positions strictly inside segment ab (within `tolerance` of it and farther than
    // that from both ends), ordered from a to b.
    std::vector<glm::vec3> pointsInside(glm::vec3 a, glm::vec3 b, float tolerance) const {
        std::vector<std::pair<float, glm::vec3>> found;
        glm::vec3 d = b - a;
        float length2 = glm::dot(d, d);
        float length = std::sqrt(length2);
        glm::ivec3 lo = cellOf(glm::min(a, b) - glm::vec3(tolerance));
        glm::ivec3 hi = cellOf(glm::max(a, b) + glm::vec3(tolerance));
        for (int x = lo.x; x <= hi.x && length > 2.0f * tolerance; ++x) {
            for (int y = lo.y; y <= hi.y; ++y) {
                for (int z = lo.z; z <= hi.z; ++z) {
                    auto it = cells.find(key(glm::ivec3(x, y, z)));
                    if (it == cells.end()) {
                        continue;
                    }
                    for (const glm::vec3& p : it->second) {
                        float t = glm::dot(p - a, d) / length2;
                        if (t * length > tolerance && (1.0f - t) * length > tolerance &&
                            glm::distance(p, a + t * d) <= tolerance) {
                            found.emplace_back(t, p);
                        }
                    }
                }
            }
        }
        std::sort(found.begin(), found.end(),
                  [](const auto& l, const auto& r) { return l.first < r.first; });
        std::vector<glm::vec3> points;
        for (const auto& entry : found) {
            points.push_back(entry.second);
        }
        return points;
    }

private:
    std::unordered_map<std::uint64_t, std::vector<glm::vec3>> cells;

    static glm::ivec3 cellOf(glm::vec3 p) { return glm::ivec3(glm::floor(p)); }
    static std::uint64_t key(glm::ivec3 c) {
        const std::uint64_t bias = 1u << 20, mask = (1u << 21) - 1;
        return ((std::uint64_t(c.x) + bias) & mask) << 42 |
               ((std::uint64_t(c.y) + bias) & mask) << 21 | ((std::uint64_t(c.z) + bias) & mask);
    }
};

Vertex between(const Vertex& a, const Vertex& b, glm::vec3 p) {
    glm::vec3 d = b.position - a.position;
    float t = glm::clamp(glm::dot(p - a.position, d) / glm::dot(d, d), 0.0f, 1.0f);
    glm::vec3 n = glm::mix(a.normal, b.normal, t);
    float length = glm::length(n);
    return Vertex{p, length > 1e-6f ? n / length : a.normal, glm::mix(a.uv, b.uv, t)};
}

// Corners lying inside one edge of a triangle, in order along it.
using EdgePoints = std::vector<Vertex>;

EdgePoints edgePoints(const PointGrid& grid, const Vertex& from, const Vertex& to) {
    EdgePoints points;
    for (glm::vec3 p :
         grid.pointsInside(from.position, to.position, ModelBuilder::junctionTolerance)) {
        points.push_back(between(from, to, p));
    }
    return points;
}

// Appends triangle abc, whose edges ab, bc, ca hold the given corners inside them, to `out` as
// triangles that use those corners: it is cut from the middle corner of one edge to the
// opposite corner (a new edge that may itself pass through corners), and both halves are cut
// again until no edge holds a corner. Every cut turns a corner inside an edge into a corner of
// smaller triangles; the depth limit only guards against rounding at near-collinear corners.
void splitAtJunctions(const PointGrid& grid, const Vertex& a, const Vertex& b, const Vertex& c,
                      const EdgePoints& ab, const EdgePoints& bc, const EdgePoints& ca,
                      std::vector<Vertex>& out, int depth = 0) {
    if (glm::length(glm::cross(b.position - a.position, c.position - a.position)) <= 1e-9f) {
        return; // collapsed to a line: covers no pixel
    }
    if ((ab.empty() && bc.empty() && ca.empty()) || depth > 64) {
        out.insert(out.end(), {a, b, c});
        return;
    }
    if (ab.empty()) {
        splitAtJunctions(grid, b, c, a, bc, ca, ab, out, depth);
        return;
    }
    size_t middle = ab.size() / 2;
    const Vertex& m = ab[middle];
    EdgePoints before(ab.begin(), ab.begin() + long(middle));
    EdgePoints after(ab.begin() + long(middle) + 1, ab.end());
    EdgePoints cut = edgePoints(grid, m, c);
    EdgePoints cutBack(cut.rbegin(), cut.rend());
    splitAtJunctions(grid, a, m, c, before, cut, ca, out, depth + 1);
    splitAtJunctions(grid, m, b, c, after, bc, cutBack, out, depth + 1);
}

} // namespace

void ModelBuilder::closeCracks() {
    PointGrid grid;
    for (auto& entry : groups) {
        for (Vertex& v : entry.second.vertices) {
            v.position = grid.weld(onWriteGrid(v.position), weldTolerance);
        }
    }
    for (auto& entry : groups) {
        Group& g = entry.second;
        std::vector<Vertex> corners;
        for (size_t i = 0; i + 2 < g.indices.size(); i += 3) {
            const Vertex& a = g.vertices[g.indices[i]];
            const Vertex& b = g.vertices[g.indices[i + 1]];
            const Vertex& c = g.vertices[g.indices[i + 2]];
            if (a.position == b.position || b.position == c.position || c.position == a.position) {
                continue;
            }
            splitAtJunctions(grid, a, b, c, edgePoints(grid, a, b), edgePoints(grid, b, c),
                             edgePoints(grid, c, a), corners);
        }
        g.vertices = corners;
        g.indices.resize(corners.size());
        for (size_t i = 0; i < corners.size(); ++i) {
            g.indices[i] = static_cast<unsigned>(i);
        }
    }
}

size_t ModelBuilder::triangleCount() const {
    size_t n = 0;
    for (const auto& entry : groups) {
        n += entry.second.indices.size() / 3;
    }
    return n;
}

std::vector<glm::vec3> ModelBuilder::trianglePositions() const {
    std::vector<glm::vec3> out;
    for (const auto& entry : groups) {
        for (unsigned i : entry.second.indices) {
            out.push_back(entry.second.vertices[i].position);
        }
    }
    return out;
}

namespace {

// Rounds tiny magnitudes to zero so "-0.0000" never appears.
float clean(float v) {
    return std::fabs(v) < 5e-5f ? 0.0f : v;
}

bool writeMtl(const std::string& path, const std::vector<std::string>& order,
              const std::map<std::string, Material>& materials) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) {
        return false;
    }
    std::fprintf(f, "# Generated by cathedral-assetgen.\n");
    for (const std::string& name : order) {
        const Material& m = materials.at(name);
        std::fprintf(f, "\nnewmtl %s\n", name.c_str());
        std::fprintf(f, "Ka 0.0000 0.0000 0.0000\n");
        std::fprintf(f, "Kd %.4f %.4f %.4f\n", m.diffuse.r, m.diffuse.g, m.diffuse.b);
        std::fprintf(f, "Ks 0.0000 0.0000 0.0000\n");
        std::fprintf(f, "d %.4f\n", m.opacity);
        std::fprintf(f, "illum 1\n");
        if (!m.diffuseMap.empty()) {
            std::fprintf(f, "map_Kd %s\n", m.diffuseMap.c_str());
        }
        if (!m.bumpMap.empty()) {
            std::fprintf(f, "map_bump %s\n", m.bumpMap.c_str());
        }
    }
    return std::fclose(f) == 0;
}

} // namespace

namespace {

// The group's triangles (first index of each) per x-z cell of their centroids, cells in a fixed
// order; one list holding everything when chunkSize is 0.
std::vector<std::vector<size_t>> chunksOf(const Group& g, float chunkSize) {
    std::map<std::pair<int, int>, std::vector<size_t>> cells;
    for (size_t i = 0; i + 2 < g.indices.size(); i += 3) {
        glm::vec3 centroid =
            (g.vertices[g.indices[i]].position + g.vertices[g.indices[i + 1]].position +
             g.vertices[g.indices[i + 2]].position) /
            3.0f;
        std::pair<int, int> cell(0, 0);
        if (chunkSize > 0.0f) {
            cell = {int(std::floor(centroid.x / chunkSize)),
                    int(std::floor(centroid.z / chunkSize))};
        }
        cells[cell].push_back(i);
    }
    std::vector<std::vector<size_t>> chunks;
    for (auto& entry : cells) {
        chunks.push_back(std::move(entry.second));
    }
    return chunks;
}

// One `o` object of the chunk's triangles, with its own vertices; returns how many it wrote.
unsigned writeObject(FILE* f, const std::string& objectName, const std::string& material,
                     const Group& g, const std::vector<size_t>& triangles, unsigned offset) {
    std::vector<unsigned> used;
    std::map<unsigned, unsigned> local;
    for (size_t first : triangles) {
        for (size_t k = 0; k < 3; ++k) {
            unsigned index = g.indices[first + k];
            if (local.emplace(index, unsigned(used.size())).second) {
                used.push_back(index);
            }
        }
    }
    std::fprintf(f, "\no %s\n", objectName.c_str());
    for (unsigned index : used) {
        const glm::vec3& p = g.vertices[index].position;
        std::fprintf(f, "v %.4f %.4f %.4f\n", clean(p.x), clean(p.y), clean(p.z));
    }
    for (unsigned index : used) {
        const glm::vec2& uv = g.vertices[index].uv;
        std::fprintf(f, "vt %.4f %.4f\n", clean(uv.x), clean(uv.y));
    }
    for (unsigned index : used) {
        const glm::vec3& n = g.vertices[index].normal;
        std::fprintf(f, "vn %.4f %.4f %.4f\n", clean(n.x), clean(n.y), clean(n.z));
    }
    std::fprintf(f, "usemtl %s\n", material.c_str());
    for (size_t first : triangles) {
        unsigned a = local[g.indices[first]] + offset, b = local[g.indices[first + 1]] + offset,
                 c = local[g.indices[first + 2]] + offset;
        std::fprintf(f, "f %u/%u/%u %u/%u/%u %u/%u/%u\n", a, a, a, b, b, b, c, c, c);
    }
    return static_cast<unsigned>(used.size());
}

} // namespace

bool ModelBuilder::write(const std::string& directory, const std::string& baseName) const {
    if (!writeMtl(directory + "/" + baseName + ".mtl", materialOrder, materials)) {
        return false;
    }
    FILE* f = std::fopen((directory + "/" + baseName + ".obj").c_str(), "w");
    if (f == nullptr) {
        return false;
    }
    std::fprintf(f, "# Generated by cathedral-assetgen.\nmtllib %s.mtl\n", baseName.c_str());
    unsigned offset = 1;
    for (const std::string& name : materialOrder) {
        auto it = groups.find(name);
        if (it == groups.end() || it->second.indices.empty()) {
            continue;
        }
        std::vector<std::vector<size_t>> chunks = chunksOf(it->second, chunkSize);
        for (size_t k = 0; k < chunks.size(); ++k) {
            std::string object = chunks.size() == 1 ? name : name + "_" + std::to_string(k);
            offset += writeObject(f, object, name, it->second, chunks[k], offset);
        }
    }
    return std::fclose(f) == 0;
}
