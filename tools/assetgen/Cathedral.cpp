// Cathedral: assembles the shell room by room. Walls are solid slabs with real openings; every
// pane goes into the window model at the middle of its opening. Right-hand rooms (+x) are
// built first and mirrored, so both sides match.
#include "Cathedral.h"

#include "Shapes.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace layout;

namespace {

const float wallT = 0.6f;  // wall thickness
const float vaultT = 0.3f; // vault shell thickness
const float aisleSpring = -6.0f;
const float aisleRadius = 1.4f;
const float aisleCentreX = 6.2f;
const float columnX = 4.5f;
const int vaultSegments = 16;

const float zNorth = crossingZ + halfWidth; // crossing side towards the nave
const float zSouth = crossingZ - halfWidth; // crossing side towards the choir

std::function<float(float)> flat(float y) {
    return [y](float) { return y; };
}

glm::vec3 xz(float x, float z) {
    return glm::vec3(x, 0.0f, z);
}

// The same wall on the other side of the x = 0 plane, still facing into the room.
Wall mirrored(const Wall& w) {
    Wall m = w;
    float len = w.length();
    m.p0 = glm::vec3(-w.p1.x, w.p1.y, w.p1.z);
    m.p1 = glm::vec3(-w.p0.x, w.p0.y, w.p0.z);
    auto top = w.top;
    m.top = [top, len](float u) { return top(len - u); };
    for (Opening& o : m.openings) {
        auto low = o.low, high = o.high;
        float u0 = o.u0;
        o.u0 = len - o.u1;
        o.u1 = len - u0;
        o.low = [low, len](float u) { return low(len - u); };
        o.high = [high, len](float u) { return high(len - u); };
        for (float& s : o.samples) {
            s = len - s;
        }
    }
    return m;
}

void buildBothSides(ModelBuilder& shell, ModelBuilder& windows, const Wall& w) {
    buildWall(shell, windows, w);
    buildWall(shell, windows, mirrored(w));
}

// Flat half ring in the plane through `centre` normal to `axis`, between radii rIn and rOut,
// facing `facing` (along the axis one way or the other).
void halfRing(ModelBuilder& shell, const std::string& mat, glm::vec3 centre, glm::vec3 axis,
              float rIn, float rOut, glm::vec3 facing) {
    glm::vec3 side = glm::cross(glm::vec3(0, 1, 0), axis);
    for (int i = 0; i < vaultSegments; ++i) {
        float t0 = pi * float(i) / vaultSegments, t1 = pi * float(i + 1) / vaultSegments;
        glm::vec3 d0 = side * std::cos(t0) + glm::vec3(0, std::sin(t0), 0);
        glm::vec3 d1 = side * std::cos(t1) + glm::vec3(0, std::sin(t1), 0);
        orientedQuad(shell, mat, centre + d0 * rIn, centre + d1 * rIn, centre + d1 * rOut,
                     centre + d0 * rOut, facing);
    }
}

// Transverse rib across a barrel vault of radius r: a band `width` long from `start` along
// `axis`, standing `depth` proud of the vault.
void buildRib(ModelBuilder& shell, glm::vec3 start, glm::vec3 axis, float r, float width) {
    const float depth = 0.18f;
    glm::vec3 end = start + axis * width;
    buildBarrelVault(shell, "stone_column", start, end, r - depth, 0.0f, vaultSegments);
    halfRing(shell, "stone_column", start, axis, r - depth, r, -axis);
    halfRing(shell, "stone_column", end, axis, r - depth, r, axis);
    // Undersides where the rib lands on the walls.
    glm::vec3 side = glm::cross(glm::vec3(0, 1, 0), axis);
    for (float s : {1.0f, -1.0f}) {
        orientedQuad(shell, "stone_column", start + side * s * (r - depth),
                     end + side * s * (r - depth), end + side * s * r, start + side * s * r,
                     glm::vec3(0, -1, 0));
    }
}

// Moulding along a wall's inner face under the vault springing.
void buildMoulding(ModelBuilder& shell, glm::vec3 a, glm::vec3 b) {
    buildBox(shell, "stone_column", glm::min(a, b) - glm::vec3(0, 0.28f, 0),
             glm::max(a, b) + glm::vec3(0, 0.02f, 0));
}

void defineMaterials(ModelBuilder& shell, ModelBuilder& windows) {
    shell.defineMaterial("stone_wall",
                         {{0.82f, 0.78f, 0.70f}, 1.0f, "stone_wall.png", "stone_wall_height.png"});
    shell.defineMaterial(
        "stone_vault", {{0.86f, 0.83f, 0.76f}, 1.0f, "stone_vault.png", "stone_vault_height.png"});
    shell.defineMaterial(
        "stone_column",
        {{0.78f, 0.76f, 0.72f}, 1.0f, "stone_column.png", "stone_column_height.png"});
    shell.defineMaterial(
        "floor_tiles", {{0.70f, 0.66f, 0.60f}, 1.0f, "floor_tiles.png", "floor_tiles_height.png"});
    shell.defineMaterial("wood", {{0.42f, 0.27f, 0.16f}, 1.0f, "wood.png", "wood_height.png"});
    shell.defineMaterial("stone_dark", {{0.45f, 0.42f, 0.38f}, 1.0f, "", ""});
    windows.defineMaterial("glass_lancet", {{1.0f, 1.0f, 1.0f}, 0.6f, "glass_lancet.png", ""});
    windows.defineMaterial("glass_rose", {{1.0f, 1.0f, 1.0f}, 0.6f, "glass_rose.png", ""});
    windows.defineMaterial("glass_amber", {{0.95f, 0.75f, 0.35f}, 0.45f, "", ""});
}

void floorRect(ModelBuilder& shell, float x0, float x1, float z0, float z1) {
    shell.quad("floor_tiles", glm::vec3(x0, floorY, z0), glm::vec3(x0, floorY, z1),
               glm::vec3(x1, floorY, z1), glm::vec3(x1, floorY, z0));
}

void buildFloors(ModelBuilder& shell) {
    floorRect(shell, -aisleOuterX - wallT, aisleOuterX + wallT, zNorth, entranceZ + wallT);
    floorRect(shell, -transeptEndX - wallT, transeptEndX + wallT, zSouth - wallT, zNorth);
    floorRect(shell, -halfWidth - wallT, halfWidth + wallT, apseZ, zSouth - wallT);
    // Half polygon under the apse, a fan around its centre.
    float r = (halfWidth + wallT) / std::cos(pi / 12.0f);
    for (int k = 0; k < 6; ++k) {
        float a0 = pi + pi * float(k) / 6.0f, a1 = pi + pi * float(k + 1) / 6.0f;
        glm::vec3 c(0.0f, floorY, apseZ);
        glm::vec3 p0(r * std::cos(a0), floorY, apseZ + r * std::sin(a0));
        glm::vec3 p1(r * std::cos(a1), floorY, apseZ + r * std::sin(a1));
        orientedQuad(shell, "floor_tiles", c, p0, p1, c + 0.5f * (p1 - c), glm::vec3(0, 1, 0));
    }
}

// Arcade between nave and aisle: columns carry arches; the clerestory windows sit above the
// aisle roof.
void buildArcade(ModelBuilder& shell, ModelBuilder& windows) {
    Wall w;
    w.p0 = xz(halfWidth, zNorth);
    w.p1 = xz(halfWidth, entranceZ);
    w.yBottom = floorY;
    w.thickness = wallT;
    w.top = flat(springY);
    w.material = "stone_wall";
    struct Bay {
        float z0, z1;
    };
    const Bay bays[] = {{-2.9f, 2.15f},  {2.85f, 5.15f},   {5.85f, 8.15f},
                        {8.85f, 11.15f}, {11.85f, 14.15f}, {14.85f, 18.0f}};
    const float arcadeSpring = -9.5f;
    for (const Bay& b : bays) {
        float u0 = w.uOf(xz(halfWidth, b.z0)), u1 = w.uOf(xz(halfWidth, b.z1));
        float uc = 0.5f * (u0 + u1), width = u1 - u0;
        if (width > 4.0f) {
            w.openings.push_back(roundOpening(uc, width, floorY, arcadeSpring, 2.5f, ""));
        } else {
            w.openings.push_back(pointedOpening(uc, width, floorY, arcadeSpring, ""));
        }
    }
    // Clerestory: a close row of lancets above the aisle roof.
    for (float z = -2.6f; z < entranceZ - 0.8f; z += 1.75f) {
        w.openings.push_back(
            pointedOpening(w.uOf(xz(halfWidth, z)), 1.0f, -3.7f, -1.7f, "glass_lancet"));
    }
    buildBothSides(shell, windows, w);
    const float piers[] = {2.5f, 5.5f, 8.5f, 11.5f, 14.5f};
    for (float z : piers) {
        for (float sx : {1.0f, -1.0f}) {
            glm::vec3 base(sx * columnX, floorY, z);
            buildBox(shell, "stone_column", base + glm::vec3(-0.5f, 0.0f, -0.5f),
                     base + glm::vec3(0.5f, 0.45f, 0.5f), false);
            buildCylinder(shell, "stone_column", base + glm::vec3(0, 0.45f, 0), 0.48f, 0.48f,
                          arcadeSpring - 0.5f - floorY - 0.45f, 12);
            buildCylinder(shell, "stone_column", glm::vec3(sx * columnX, arcadeSpring - 0.5f, z),
                          0.48f, 0.66f, 0.5f, 12);
            // Square impost block on the capital, under the springing of both arches.
            buildBox(shell, "stone_column",
                     glm::vec3(sx * columnX - 0.66f, arcadeSpring, z - 0.66f),
                     glm::vec3(sx * columnX + 0.66f, arcadeSpring + 0.18f, z + 0.66f));
        }
    }
}

void buildAisles(ModelBuilder& shell, ModelBuilder& windows) {
    Wall w;
    w.p0 = xz(aisleOuterX, zNorth);
    w.p1 = xz(aisleOuterX, entranceZ);
    w.yBottom = floorY;
    w.thickness = wallT;
    w.top = flat(aisleSpring + 0.3f);
    w.material = "stone_wall";
    const float centres[] = {-0.375f, 4.0f, 7.0f, 10.0f, 13.0f, 16.4f};
    for (float z : centres) {
        w.openings.push_back(
            pointedOpening(w.uOf(xz(aisleOuterX, z)), 1.4f, -12.5f, -8.6f, "glass_lancet"));
    }
    buildBothSides(shell, windows, w);
    for (float sx : {1.0f, -1.0f}) {
        buildBarrelVault(shell, "stone_vault", glm::vec3(sx * aisleCentreX, aisleSpring, zNorth),
                         glm::vec3(sx * aisleCentreX, aisleSpring, entranceZ), aisleRadius, vaultT,
                         vaultSegments);
    }
}

void buildEntrance(ModelBuilder& shell, ModelBuilder& windows) {
    Wall w;
    float half = aisleOuterX + wallT;
    w.p0 = xz(half, entranceZ);
    w.p1 = xz(-half, entranceZ);
    w.yBottom = floorY;
    w.thickness = wallT;
    float outer = halfWidth + vaultT;
    w.top = [half, outer](float u) {
        float x = half - u;
        return std::fabs(x) < outer ? springY + std::sqrt(outer * outer - x * x) + 0.05f : -3.0f;
    };
    w.material = "stone_wall";
    w.openings.push_back(
        pointedOpening(w.uOf(xz(aisleCentreX, 0)), 1.3f, -12.0f, -8.8f, "glass_lancet"));
    w.openings.push_back(circleOpening(w.uOf(xz(0, 0)), -4.2f, 2.6f, "glass_rose"));
    w.openings.push_back(
        pointedOpening(w.uOf(xz(-aisleCentreX, 0)), 1.3f, -12.0f, -8.8f, "glass_lancet"));
    buildWall(shell, windows, w);
    buildBarrelVault(shell, "stone_vault", glm::vec3(0, springY, zNorth),
                     glm::vec3(0, springY, entranceZ), halfWidth, vaultT, vaultSegments);
    // Ribs over the piers and at the crossing arch; mouldings along both walls.
    for (float z : {zNorth, 2.25f, 5.25f, 8.25f, 11.25f, 14.25f}) {
        buildRib(shell, glm::vec3(0, springY, z), glm::vec3(0, 0, 1), halfWidth, 0.5f);
    }
    for (float sx : {1.0f, -1.0f}) {
        buildMoulding(shell, glm::vec3(sx * (halfWidth - 0.16f), springY, zNorth + 0.5f),
                      glm::vec3(sx * halfWidth, springY, entranceZ));
    }
    // The portal: a wooden door in a darker stone frame, set just in front of the wall.
    float zf = entranceZ - 0.06f;
    buildBox(shell, "stone_dark", glm::vec3(-1.6f, floorY, zf - 0.1f),
             glm::vec3(1.6f, floorY + 4.6f, entranceZ + 0.1f));
    buildBox(shell, "wood", glm::vec3(-1.2f, floorY, zf - 0.14f),
             glm::vec3(1.2f, floorY + 4.0f, zf - 0.1f));
}

void buildTransept(ModelBuilder& shell, ModelBuilder& windows) {
    float xEnd = transeptEndX + wallT;
    Wall north;
    north.p0 = xz(xEnd, zNorth);
    north.p1 = xz(halfWidth, zNorth);
    north.yBottom = floorY;
    north.thickness = wallT;
    north.top = flat(springY);
    north.material = "stone_wall";
    north.openings.push_back(barrelPassage(north.uOf(xz(aisleCentreX, 0)), aisleRadius, floorY,
                                           aisleSpring, vaultSegments));
    north.openings.push_back(
        pointedOpening(north.uOf(xz(9.2f, 0)), 1.2f, -9.0f, -3.5f, "glass_lancet"));
    buildBothSides(shell, windows, north);

    Wall south = north;
    south.p0 = xz(halfWidth, zSouth);
    south.p1 = xz(xEnd, zSouth);
    south.openings.clear();
    south.openings.push_back(
        pointedOpening(south.uOf(xz(7.4f, 0)), 1.6f, -12.0f, -5.0f, "glass_lancet"));
    buildBothSides(shell, windows, south);

    Wall end = north;
    end.p0 = xz(transeptEndX, zSouth - wallT);
    end.p1 = xz(transeptEndX, zNorth + wallT);
    float outer = halfWidth + vaultT;
    end.top = [outer](float u) {
        float dz = u - wallT - halfWidth;
        return std::fabs(dz) < outer ? springY + std::sqrt(outer * outer - dz * dz) + 0.05f
                                     : springY;
    };
    end.openings.clear();
    float uc = end.uOf(xz(transeptEndX, crossingZ));
    end.openings.push_back(pointedOpening(uc, 2.2f, -11.5f, -3.6f, "glass_lancet"));
    end.openings.push_back(circleOpening(uc, 1.9f, 1.3f, "glass_rose"));
    buildBothSides(shell, windows, end);

    for (float sx : {1.0f, -1.0f}) {
        buildBarrelVault(shell, "stone_vault", glm::vec3(sx * halfWidth, springY, crossingZ),
                         glm::vec3(sx * transeptEndX, springY, crossingZ), halfWidth, vaultT,
                         vaultSegments);
        buildRib(shell, glm::vec3(sx * halfWidth, springY, crossingZ), glm::vec3(sx, 0, 0),
                 halfWidth, 0.5f);
        buildRib(shell, glm::vec3(sx * 7.35f, springY, crossingZ), glm::vec3(sx, 0, 0), halfWidth,
                 0.5f);
    }
}

void buildChoirAndApse(ModelBuilder& shell, ModelBuilder& windows) {
    Wall side;
    side.p0 = xz(halfWidth, apseZ);
    side.p1 = xz(halfWidth, zSouth);
    side.yBottom = floorY;
    side.thickness = wallT;
    side.top = flat(springY);
    side.material = "stone_wall";
    side.openings.push_back(
        pointedOpening(side.length() * 0.5f, 1.2f, -6.0f, -2.5f, "glass_lancet"));
    buildBothSides(shell, windows, side);
    buildBarrelVault(shell, "stone_vault", glm::vec3(0, springY, zSouth),
                     glm::vec3(0, springY, apseZ), halfWidth, vaultT, vaultSegments);
    buildRib(shell, glm::vec3(0, springY, zSouth), glm::vec3(0, 0, -1), halfWidth, 0.5f);
    buildRib(shell, glm::vec3(0, springY, apseZ), glm::vec3(0, 0, 1), halfWidth, 0.4f);
    const int facets = 6;
    for (int k = 0; k < facets; ++k) {
        float a0 = pi + pi * float(k) / facets, a1 = pi + pi * float(k + 1) / facets;
        Wall f;
        f.p0 = xz(halfWidth * std::cos(a0), apseZ + halfWidth * std::sin(a0));
        f.p1 = xz(halfWidth * std::cos(a1), apseZ + halfWidth * std::sin(a1));
        f.yBottom = floorY;
        f.thickness = wallT;
        f.extend = wallT * std::tan(pi / (2.0f * facets));
        f.top = flat(springY);
        f.material = "stone_wall";
        if (k > 0 && k < facets - 1) {
            f.openings.push_back(
                pointedOpening(f.length() * 0.5f, 1.0f, -10.0f, -3.0f, "glass_lancet"));
        }
        buildWall(shell, windows, f);
    }
    buildPolygonDome(shell, "stone_vault", glm::vec3(0, springY, apseZ), halfWidth, vaultT, pi,
                     2.0f * pi, facets, vaultSegments / 2);
    // The altar under the apse lamp.
    buildBox(shell, "stone_column", glm::vec3(-1.3f, floorY, -17.6f),
             glm::vec3(1.3f, floorY + 1.1f, -16.6f), false);
    buildBox(shell, "stone_dark", glm::vec3(-2.2f, floorY, -18.2f),
             glm::vec3(2.2f, floorY + 0.2f, -16.0f), false);
}

// Quad on a sphere around `centre`, facing it (inner) or away from it, with texture
// coordinates running around the vertical axis and up, so courses stay level and continuous.
void sphericalQuad(ModelBuilder& shell, std::array<glm::vec3, 4> q, glm::vec3 centre, bool inner) {
    std::array<float, 4> angle;
    for (int k = 0; k < 4; ++k) {
        angle[size_t(k)] = std::atan2(q[size_t(k)].z - centre.z, q[size_t(k)].x - centre.x);
    }
    if (*std::max_element(angle.begin(), angle.end()) -
            *std::min_element(angle.begin(), angle.end()) >
        pi) {
        for (float& a : angle) {
            a += a < 0.0f ? 2.0f * pi : 0.0f;
        }
    }
    std::array<Vertex, 4> v;
    for (size_t k = 0; k < 4; ++k) {
        glm::vec3 n = glm::normalize(q[k] - centre) * (inner ? -1.0f : 1.0f);
        float radius = glm::length(glm::vec2(q[k].x - centre.x, q[k].z - centre.z));
        v[k] = Vertex{q[k], n,
                      glm::vec2(angle[k] * std::max(radius, halfWidth), q[k].y) / shell.uvRepeat};
    }
    glm::vec3 facing = glm::cross(q[2] - q[0], q[3] - q[1]);
    glm::vec3 mid = 0.25f * (q[0] + q[1] + q[2] + q[3]);
    if ((glm::dot(facing, mid - centre) > 0.0f) == inner) {
        shell.quad("stone_vault", v[3], v[2], v[1], v[0]);
    } else {
        shell.quad("stone_vault", v[0], v[1], v[2], v[3]);
    }
}

// Spherical pendentives lead from the square crossing to the round drum; their lower edges
// are the four crossing arches themselves, computed with the same angles and arithmetic as the
// barrel vaults and ribs. At the corners they land on the springing line exactly: the sphere's
// own height there is the root of a rounding error, millimetres high, and would open a sliver
// to the sky between pendentive and rib.
void buildPendentives(ModelBuilder& shell) {
    const float a = halfWidth;
    const float sphere = a * std::sqrt(2.0f);
    const glm::vec3 centre(0, springY, crossingZ);
    std::vector<glm::vec3> rim; // bottom outline: offsets from the crossing centre (x, y, z)
    for (int face = 0; face < 4; ++face) {
        for (int k = 0; k < vaultSegments; ++k) {
            float t = pi * float(k) / float(vaultSegments);
            float w = a * std::cos(t), h = std::sin(t) * a;
            glm::vec3 p = face == 0   ? glm::vec3(a, h, -w)
                          : face == 1 ? glm::vec3(w, h, a)
                          : face == 2 ? glm::vec3(-a, h, w)
                                      : glm::vec3(-w, h, -a);
            rim.push_back(p);
        }
    }
    const int rows = 5;
    auto at = [&](glm::vec3 p, int j) {
        if (j == 0) {
            return centre + p;
        }
        glm::vec2 plan(p.x, p.z);
        float rb = glm::length(plan);
        float r = rb + (a - rb) * float(j) / float(rows);
        glm::vec2 d = plan / rb * r;
        float y = springY + std::sqrt(std::max(0.0f, sphere * sphere - r * r));
        return glm::vec3(d.x, y, crossingZ + d.y);
    };
    for (size_t i = 0; i < rim.size(); ++i) {
        glm::vec3 p0 = rim[i], p1 = rim[(i + 1) % rim.size()];
        for (int j = 0; j < rows; ++j) {
            glm::vec3 q00 = at(p0, j), q10 = at(p1, j), q11 = at(p1, j + 1), q01 = at(p0, j + 1);
            sphericalQuad(shell, {q00, q10, q11, q01}, centre, true);
            // Outer skin, slightly larger, for light views from outside.
            float s = (sphere + vaultT) / sphere;
            auto out = [&](glm::vec3 q) { return centre + (q - centre) * s; };
            sphericalQuad(shell, {out(q00), out(q10), out(q11), out(q01)}, centre, false);
        }
    }
}

// Cornice ring where the pendentives meet the drum.
void buildCornice(ModelBuilder& shell, float y, float rIn, float rOut, float height, int sides) {
    const glm::vec3 c(0, 0, crossingZ);
    for (int k = 0; k < sides; ++k) {
        float a0 = 2.0f * pi * k / sides, a1 = 2.0f * pi * (k + 1) / sides;
        glm::vec3 d0(std::cos(a0), 0, std::sin(a0)), d1(std::cos(a1), 0, std::sin(a1));
        glm::vec3 lo(0, y, 0), hi(0, y + height, 0);
        orientedQuad(shell, "stone_dark", c + lo + d0 * rIn, c + lo + d1 * rIn, c + lo + d1 * rOut,
                     c + lo + d0 * rOut, glm::vec3(0, -1, 0));
        glm::vec3 m = glm::normalize(d0 + d1);
        orientedQuad(shell, "stone_dark", c + lo + d0 * rIn, c + lo + d1 * rIn, c + hi + d1 * rIn,
                     c + hi + d0 * rIn, -m);
        orientedQuad(shell, "stone_dark", c + hi + d0 * rIn, c + hi + d1 * rIn, c + hi + d1 * rOut,
                     c + hi + d0 * rOut, glm::vec3(0, 1, 0));
    }
}

void buildDrumAndDome(ModelBuilder& shell, ModelBuilder& windows) {
    const float a = halfWidth;
    const float drumBottom = springY + a;
    const float drumTop = 8.2f;
    const int sides = 16;
    buildCornice(shell, drumBottom, a - 0.22f, (a + 0.4f) / std::cos(pi / sides), 0.35f, sides);
    for (int k = 0; k < sides; ++k) {
        float a0 = 2.0f * pi * k / sides, a1 = 2.0f * pi * (k + 1) / sides;
        Wall f;
        f.p0 = xz(a * std::cos(a0), crossingZ + a * std::sin(a0));
        f.p1 = xz(a * std::cos(a1), crossingZ + a * std::sin(a1));
        f.yBottom = drumBottom;
        f.thickness = 0.5f;
        f.extend = 0.5f * std::tan(pi / sides);
        f.top = flat(drumTop);
        f.material = "stone_wall";
        if (k % 2 == 0) {
            f.openings.push_back(
                pointedOpening(f.length() * 0.5f, 0.9f, drumBottom + 1.0f, 6.9f, "glass_amber"));
        }
        buildWall(shell, windows, f);
    }
    buildCornice(shell, drumTop - 0.2f, a - 0.2f, a + 0.1f, 0.2f, sides);
    buildPolygonDome(shell, "stone_vault", glm::vec3(0, drumTop, crossingZ), a, vaultT, 0.0f,
                     2.0f * pi, sides, 6);
}

// Rows of pews in the nave, clear of the lanes along the centre and across both ends.
void buildPews(ModelBuilder& shell) {
    for (int row = 0; row < 10; ++row) {
        float z = 3.4f + 1.15f * float(row);
        for (float sx : {1.0f, -1.0f}) {
            float x0 = sx > 0 ? 1.0f : -3.5f, x1 = sx > 0 ? 3.5f : -1.0f;
            buildBox(shell, "wood", glm::vec3(x0, floorY, z),
                     glm::vec3(x1, floorY + 0.45f, z + 0.42f), false);
            buildBox(shell, "wood", glm::vec3(x0, floorY + 0.45f, z + 0.42f),
                     glm::vec3(x1, floorY + 1.0f, z + 0.5f));
        }
    }
}

} // namespace

void buildCathedral(ModelBuilder& shell, ModelBuilder& windows) {
    defineMaterials(shell, windows);
    buildFloors(shell);
    buildArcade(shell, windows);
    buildAisles(shell, windows);
    buildEntrance(shell, windows);
    buildTransept(shell, windows);
    buildChoirAndApse(shell, windows);
    buildPendentives(shell);
    buildDrumAndDome(shell, windows);
    buildPews(shell);
}
