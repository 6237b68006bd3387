// Seams of the generated models as a rasterizer sees them: two surfaces that meet must share
// their corners exactly, or pixels fall through the hairline between them and show the sky.
// Checked on the files as the demo imports them, across all meshes (materials and chunks).
#include "TriangleBvh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace {

using Cell = std::tuple<int, int, int>;

Cell cellOf(glm::vec3 p) {
    return Cell(int(std::floor(p.x)), int(std::floor(p.y)), int(std::floor(p.z)));
}

struct Corners {
    std::map<Cell, std::vector<glm::vec3>> cells; // distinct positions per unit cell

    explicit Corners(const std::vector<Triangle>& triangles) {
        std::set<std::tuple<float, float, float>> seen;
        for (const Triangle& t : triangles) {
            for (glm::vec3 p : t.p) {
                if (seen.emplace(p.x, p.y, p.z).second) {
                    cells[cellOf(p)].push_back(p);
                }
            }
        }
    }

    // Calls f for every distinct position in the cells the box [lo, hi] touches.
    template <typename F> void near(glm::vec3 lo, glm::vec3 hi, F f) const {
        Cell l = cellOf(lo), h = cellOf(hi);
        for (int x = std::get<0>(l); x <= std::get<0>(h); ++x)
            for (int y = std::get<1>(l); y <= std::get<1>(h); ++y)
                for (int z = std::get<2>(l); z <= std::get<2>(h); ++z) {
                    auto it = cells.find(Cell(x, y, z));
                    if (it != cells.end())
                        for (glm::vec3 p : it->second)
                            f(p);
                }
    }
};

struct SeamFaults {
    int tJunctions = 0; // corners lying inside another triangle's edge
    int unwelded = 0;   // distinct corners closer than a millimetre
};

SeamFaults seamFaults(const std::string& path) {
    std::vector<Triangle> triangles;
    std::vector<ImportedMaterial> materials;
    EXPECT_TRUE(importTriangles(path, glm::vec3(0), 0, triangles, materials)) << path;
    Corners corners(triangles);
    // A corner on an edge sits within the write grid's rounding (1e-4 per axis) of it. Corners
    // near the ends of an edge, and edges of slivers (which lie along a neighbouring edge by
    // construction), are left out: there a corner can come that close without a seam.
    const float tolerance = 2e-4f, clearance = 0.01f, sliver = 0.05f;
    SeamFaults faults;
    for (const Triangle& t : triangles) {
        for (int e = 0; e < 3; ++e) {
            glm::vec3 a = t.p[e], b = t.p[(e + 1) % 3], d = b - a;
            float length = glm::length(d);
            float height = glm::length(glm::cross(d, t.p[(e + 2) % 3] - a)) / length;
            if (height < sliver) {
                continue;
            }
            corners.near(glm::min(a, b) - tolerance, glm::max(a, b) + tolerance, [&](glm::vec3 p) {
                float along = glm::dot(p - a, d) / length;
                if (along > clearance && along < length - clearance &&
                    glm::distance(p, a + d * (along / length)) < tolerance) {
                    ++faults.tJunctions;
                }
            });
        }
    }
    for (const auto& cell : corners.cells) {
        for (glm::vec3 p : cell.second) {
            corners.near(p - 1e-3f, p + 1e-3f, [&](glm::vec3 q) {
                faults.unwelded += (q != p && glm::distance(p, q) < 1e-3f) ? 1 : 0;
            });
        }
    }
    return faults;
}

} // namespace

TEST(ShellSeams, SurfacesThatMeetShareTheirCornersExactly) {
    for (const char* path : {"Assets/sibenik-cathedral-vray-noWindows.obj",
                             "Assets/sibenik-cathedral-vray-Windows.obj"}) {
        SeamFaults faults = seamFaults(path);
        EXPECT_EQ(faults.tJunctions, 0) << path;
        EXPECT_EQ(faults.unwelded, 0) << path;
    }
}
