// The camera tour against the generated cathedral: clearance from every surface along the
// sampled path, a closed shell around every view, lamps that hang free with chains that vanish
// into the vaults, and windows that let the light view's tint into the interior.
#include "TriangleBvh.h"
#include "scene/CameraPathAnimation.h"
#include "scene/Chandeliers.h"
#include "scene/LinearSpline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct World {
    std::vector<Triangle> opaque, glass, chandelier;
    std::vector<ImportedMaterial> materials;
    Bvh opaqueBvh, glassBvh, chandelierBvh;
};

const World& world() {
    static World w = [] {
        World w;
        importTriangles("Assets/sibenik-cathedral-vray-noWindows.obj", glm::vec3(0), 0, w.opaque,
                        w.materials);
        for (const glm::vec3& offset : chandelierOffsets) {
            importTriangles("Assets/zardinjera.obj", offset, 0, w.opaque, w.materials);
        }
        importTriangles("Assets/sibenik-cathedral-vray-Windows.obj", glm::vec3(0), 0, w.glass,
                        w.materials);
        importTriangles("Assets/zardinjera.obj", glm::vec3(0), 0, w.chandelier, w.materials);
        w.opaqueBvh.build(w.opaque);
        w.glassBvh.build(w.glass);
        w.chandelierBvh.build(w.chandelier);
        return w;
    }();
    return w;
}

// Closest point of triangle abc to p (Ericson, Real-Time Collision Detection 5.1.5).
glm::vec3 closestOnTriangle(glm::vec3 p, glm::vec3 a, glm::vec3 b, glm::vec3 c) {
    glm::vec3 ab = b - a, ac = c - a, ap = p - a;
    float d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    glm::vec3 bp = p - b;
    float d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return a + ab * (d1 / (d1 - d3));
    glm::vec3 cp = p - c;
    float d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return a + ac * (d2 / (d2 - d6));
    float va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    float denom = 1.0f / (va + vb + vc);
    return a + ab * (vb * denom) + ac * (vc * denom);
}

// Smallest distance from p to any triangle, skipping triangles whose bounding sphere is
// farther than `limit`.
float nearestSurface(glm::vec3 p, const std::vector<Triangle>& tris, float limit) {
    float best = limit;
    for (const Triangle& t : tris) {
        glm::vec3 c = (t.p[0] + t.p[1] + t.p[2]) / 3.0f;
        float r =
            std::max({glm::length(t.p[0] - c), glm::length(t.p[1] - c), glm::length(t.p[2] - c)});
        if (glm::length(p - c) - r >= best) {
            continue;
        }
        best = std::min(best, glm::length(p - closestOnTriangle(p, t.p[0], t.p[1], t.p[2])));
    }
    return best;
}

// Evenly spread directions on the unit sphere.
std::vector<glm::vec3> sphereDirections(int n) {
    std::vector<glm::vec3> d;
    const float golden = 2.39996323f;
    for (int i = 0; i < n; ++i) {
        float y = 1.0f - 2.0f * (float(i) + 0.5f) / float(n);
        float r = std::sqrt(1.0f - y * y);
        d.emplace_back(r * std::cos(golden * float(i)), y, r * std::sin(golden * float(i)));
    }
    return d;
}

// Camera positions along the program's own tour, every `step` of its animation clock.
std::vector<glm::vec3> tourPositions(double step) {
    CameraPathAnimation tour;
    std::vector<glm::vec3> positions;
    for (double x = 0.0; x <= tour.endTime; x += step) {
        positions.push_back(tour.positionSpline->interpolate(x));
    }
    return positions;
}

bool frontFacing(const Triangle& t, glm::vec3 dir) {
    return glm::dot(glm::cross(t.p[1] - t.p[0], t.p[2] - t.p[0]), dir) < 0.0f;
}

TEST(CathedralTour, EverySampleKeepsClearOfAllSurfaces) {
    const World& w = world();
    ASSERT_GT(w.opaque.size(), 1000u) << "the models did not import";
    float worst = 1e9f;
    glm::vec3 worstAt(0);
    for (const glm::vec3& p : tourPositions(0.05)) {
        float d = std::min(nearestSurface(p, w.opaque, 2.0f), nearestSurface(p, w.glass, 2.0f));
        if (d < worst) {
            worst = d;
            worstAt = p;
        }
    }
    std::printf("closest approach %.3f at (%.2f, %.2f, %.2f)\n", worst, worstAt.x, worstAt.y,
                worstAt.z);
    EXPECT_GE(worst, 0.75f) << "closest approach at (" << worstAt.x << ", " << worstAt.y << ", "
                            << worstAt.z << ")";
}

// From each view every ray meets either a window pane or the inner face of the shell: a miss
// or a back face means sky or a hole.
TEST(CathedralTour, ShellIsClosedAroundEveryView) {
    const World& w = world();
    ASSERT_GT(w.opaque.size(), 1000u) << "the models did not import";
    std::vector<glm::vec3> dirs = sphereDirections(1500);
    int holes = 0;
    for (const glm::vec3& p : tourPositions(2.0)) {
        for (const glm::vec3& d : dirs) {
            Hit hit;
            w.opaqueBvh.intersect(p, d, hit);
            if (hit.tri >= 0 && frontFacing(w.opaque[size_t(hit.tri)], d)) {
                continue;
            }
            Hit pane;
            pane.t = hit.t;
            w.glassBvh.intersect(p, d, pane);
            if (pane.tri < 0 && holes++ < 5) {
                glm::vec3 at = p + d * std::min(hit.t, 100.0f);
                ADD_FAILURE() << "hole seen from (" << p.x << ", " << p.y << ", " << p.z
                              << ") towards (" << d.x << ", " << d.y << ", " << d.z << ") at ("
                              << at.x << ", " << at.y << ", " << at.z << ")";
            }
        }
    }
    EXPECT_EQ(holes, 0);
}

// The lamp's light and flame must see out of the model in nearly every
// direction, or the model would shadow its own light's whole cube map: only the cup below and
// the thin ring and suspension rods may get in the way; nothing closes over the top.
TEST(CathedralTour, ChandelierLeavesItsLightAndFlameFree) {
    const World& w = world();
    ASSERT_GT(w.opaque.size(), 1000u) << "the models did not import";
    for (const glm::vec3& lamp : {flameHeight, lampHeight}) {
        int blocked = 0, blockedAbove = 0, above = 0;
        std::vector<glm::vec3> dirs = sphereDirections(4000);
        for (const glm::vec3& d : dirs) {
            Hit hit;
            w.chandelierBvh.intersect(lamp, d, hit);
            blocked += hit.tri >= 0 ? 1 : 0;
            if (d.y > 0.0f) {
                ++above;
                blockedAbove += hit.tri >= 0 ? 1 : 0;
            }
        }
        EXPECT_LT(blocked, int(dirs.size()) / 8) << "at height " << lamp.y;
        EXPECT_LT(blockedAbove, above / 12) << "at height " << lamp.y;
    }
}

TEST(CathedralTour, LampsHangAboveTheFloorAndChainsVanishIntoVaults) {
    World shellOnly;
    importTriangles("Assets/sibenik-cathedral-vray-noWindows.obj", glm::vec3(0), 0,
                    shellOnly.opaque, shellOnly.materials);
    shellOnly.opaqueBvh.build(shellOnly.opaque);
    for (const glm::vec3& lamp : chandelierOffsets) {
        Hit down;
        shellOnly.opaqueBvh.intersect(lamp + glm::vec3(0, 0.01f, 0), glm::vec3(0, -1, 0), down);
        ASSERT_GE(down.tri, 0);
        EXPECT_GE(down.t, 1.0f) << "floor too close under the lamp at y " << lamp.y;
        // Straight up from the top of the suspension the first surface is a vault seen from
        // inside, well below the chain's end 28 units above the origin.
        Hit upHit;
        // (Slightly off the axis: the apse's half-dome has a facet edge right above its lamp.)
        glm::vec3 from = lamp + glm::vec3(0.013f, 2.3f, 0.007f);
        shellOnly.opaqueBvh.intersect(from, glm::vec3(0, 1, 0), upHit);
        ASSERT_GE(upHit.tri, 0) << "no vault above the lamp at " << lamp.x << ", " << lamp.z;
        EXPECT_TRUE(frontFacing(shellOnly.opaque[size_t(upHit.tri)], glm::vec3(0, 1, 0)));
        EXPECT_LT(2.3f + upHit.t, 27.0f);
    }
}

// The light view from (-10, 5, 0) towards the origin must see closed stone from outside (walls
// with outer faces, so its depth map does not leak) with windows through which it reaches
// interior surfaces.
TEST(CathedralTour, LightViewSeesStoneWithWindowsIntoTheInterior) {
    const World& w = world();
    ASSERT_GT(w.opaque.size(), 1000u) << "the models did not import";
    const glm::vec3 eye(-10, 5, 0);
    glm::vec3 f = glm::normalize(-eye);
    glm::vec3 r = glm::normalize(glm::cross(f, glm::vec3(0, 1, 0)));
    glm::vec3 u = glm::cross(r, f);
    float ty = std::tan(glm::radians(35.0f)), tx = ty * 4.0f / 3.0f;
    int backFaces = 0, throughWindows = 0, rays = 0;
    for (int j = 0; j < 90; ++j) {
        for (int i = 0; i < 120; ++i) {
            glm::vec3 d = glm::normalize(f + r * (tx * (2.0f * (i + 0.5f) / 120 - 1)) +
                                         u * (ty * (2.0f * (j + 0.5f) / 90 - 1)));
            Hit hit;
            w.opaqueBvh.intersect(eye, d, hit);
            if (hit.tri < 0) {
                continue;
            }
            ++rays;
            Hit pane;
            pane.t = hit.t;
            w.glassBvh.intersect(eye, d, pane);
            if (pane.tri >= 0) {
                ++throughWindows;
            } else if (!frontFacing(w.opaque[size_t(hit.tri)], d)) {
                ++backFaces;
            }
        }
    }
    std::printf("light view: %d rays meet the cathedral, %d through windows, %d on back faces\n",
                rays, throughWindows, backFaces);
    EXPECT_LT(backFaces, rays / 200) << "the light sees into the shell past its walls";
    EXPECT_GT(throughWindows, rays / 100) << "too little of the light view passes a window";
}

} // namespace
