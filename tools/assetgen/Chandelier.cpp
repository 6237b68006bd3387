// Chandelier: cup, spokes, candle ring, suspension rods and chain, all from thin beams and
// prisms. Detailed chain links near the lamp, a plain rod higher up where no one looks.
#include "Chandelier.h"

#include "Shapes.h"

#include <cmath>

namespace {

const float chainTop = 28.0f;
const float hubY = 2.2f;
const float ringRadius = 0.9f;
const float ringY = 0.06f;

// Square beam from a to b, `size` across, no end caps.
void beam(ModelBuilder& m, const std::string& mat, glm::vec3 a, glm::vec3 b, float size,
          glm::vec3 hint) {
    glm::vec3 axis = glm::normalize(b - a);
    glm::vec3 s = glm::normalize(glm::cross(axis, hint));
    glm::vec3 t = glm::cross(axis, s);
    s *= 0.5f * size;
    t *= 0.5f * size;
    glm::vec3 corners[4] = {s + t, -s + t, -s - t, s - t};
    glm::vec3 mid = 0.5f * (a + b);
    for (int k = 0; k < 4; ++k) {
        glm::vec3 c0 = corners[k], c1 = corners[(k + 1) % 4];
        glm::vec3 out = 0.5f * (c0 + c1);
        orientedQuad(m, mat, a + c0, a + c1, b + c1, b + c0, (mid + out) - mid);
    }
    orientedQuad(m, mat, a + corners[0], a + corners[1], a + corners[2], a + corners[3], a - b);
    orientedQuad(m, mat, b + corners[0], b + corners[1], b + corners[2], b + corners[3], b - a);
}

// Open cup with a wall of some thickness: outside, inside, rim, bottom and floor, so it reads
// from every side.
void cup(ModelBuilder& m) {
    const int sides = 12;
    const float r0 = 0.07f, r1 = 0.12f, h = 0.1f, wall = 0.01f;
    const float lift = 0.02f; // thickness of the cup's floor
    buildCylinder(m, "brass", glm::vec3(0.0f), r0, r1, h, sides);
    buildDisc(m, "brass", glm::vec3(0.0f), r0, sides, glm::vec3(0, -1, 0));
    buildDisc(m, "brass", glm::vec3(0, lift, 0), r0, sides, glm::vec3(0, 1, 0));
    for (int k = 0; k < sides; ++k) {
        float a0 = 2 * pi * k / sides, a1 = 2 * pi * (k + 1) / sides;
        glm::vec3 d0(std::cos(a0), 0, std::sin(a0)), d1(std::cos(a1), 0, std::sin(a1));
        glm::vec3 top(0, h, 0), floor(0, lift, 0);
        float f = r0 + (r1 - r0) * lift / h - wall;
        orientedQuad(m, "brass", floor + d0 * f, floor + d1 * f, top + d1 * (r1 - wall),
                     top + d0 * (r1 - wall), -(d0 + d1) + glm::vec3(0, 0.3f, 0));
        orientedQuad(m, "brass", top + d0 * (r1 - wall), top + d1 * (r1 - wall), top + d1 * r1,
                     top + d0 * r1, glm::vec3(0, 1, 0));
    }
}

// Flat iron band around the lamp, carrying small candles.
void corona(ModelBuilder& m) {
    const int sides = 20;
    const float h = 0.1f, t = 0.04f;
    for (int k = 0; k < sides; ++k) {
        float a0 = 2 * pi * k / sides, a1 = 2 * pi * (k + 1) / sides;
        glm::vec3 d0(std::cos(a0), 0, std::sin(a0)), d1(std::cos(a1), 0, std::sin(a1));
        glm::vec3 lo(0, ringY, 0), hi(0, ringY + h, 0);
        float ri = ringRadius - t, ro = ringRadius;
        glm::vec3 m01 = glm::normalize(d0 + d1);
        orientedQuad(m, "iron", lo + d0 * ro, lo + d1 * ro, hi + d1 * ro, hi + d0 * ro, m01);
        orientedQuad(m, "iron", lo + d0 * ri, lo + d1 * ri, hi + d1 * ri, hi + d0 * ri, -m01);
        orientedQuad(m, "iron", hi + d0 * ri, hi + d1 * ri, hi + d1 * ro, hi + d0 * ro,
                     glm::vec3(0, 1, 0));
        orientedQuad(m, "iron", lo + d0 * ri, lo + d1 * ri, lo + d1 * ro, lo + d0 * ro,
                     glm::vec3(0, -1, 0));
    }
    for (int k = 0; k < 8; ++k) {
        float a = 2 * pi * (k + 0.5f) / 8;
        glm::vec3 d(std::cos(a), 0, std::sin(a));
        glm::vec3 base = d * (ringRadius - 0.02f) + glm::vec3(0, ringY + h, 0);
        buildCylinder(m, "wax", base, 0.03f, 0.03f, 0.16f, 6);
        buildDisc(m, "wax", base + glm::vec3(0, 0.16f, 0), 0.03f, 6, glm::vec3(0, 1, 0));
    }
    for (int k = 0; k < 4; ++k) {
        float a = 2 * pi * k / 4 + pi / 4;
        glm::vec3 d(std::cos(a), 0, std::sin(a));
        beam(m, "iron", d * 0.12f + glm::vec3(0, 0.05f, 0),
             d * (ringRadius - 0.03f) + glm::vec3(0, 0.1f, 0), 0.035f, glm::vec3(0, 1, 0));
    }
}

void rods(ModelBuilder& m) {
    for (int k = 0; k < 4; ++k) {
        float a = 2 * pi * k / 4 + pi / 4;
        glm::vec3 d(std::cos(a), 0, std::sin(a));
        beam(m, "iron", d * (ringRadius - 0.02f) + glm::vec3(0, ringY + 0.1f, 0),
             glm::vec3(0, hubY, 0), 0.025f, glm::vec3(0, 1, 0));
    }
    buildCylinder(m, "brass", glm::vec3(0, hubY - 0.12f, 0), 0.07f, 0.04f, 0.2f, 8);
    buildDisc(m, "brass", glm::vec3(0, hubY - 0.12f, 0), 0.07f, 8, glm::vec3(0, -1, 0));
    buildDisc(m, "brass", glm::vec3(0, hubY + 0.08f, 0), 0.04f, 8, glm::vec3(0, 1, 0));
}

// Alternating oval links for the first metres, then a thin rod up into the vault.
void chain(ModelBuilder& m) {
    const float link = 0.22f, gap = 0.04f;
    float y = hubY + 0.05f;
    int n = 0;
    for (; y < hubY + 6.0f; y += link - gap, ++n) {
        glm::vec3 side = (n % 2 == 0) ? glm::vec3(0.035f, 0, 0) : glm::vec3(0, 0, 0.035f);
        glm::vec3 hint = (n % 2 == 0) ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0);
        glm::vec3 a(0, y, 0), b(0, y + link, 0);
        beam(m, "iron", a + side, b + side, 0.018f, hint);
        beam(m, "iron", a - side, b - side, 0.018f, hint);
    }
    beam(m, "iron", glm::vec3(0, y, 0), glm::vec3(0, chainTop, 0), 0.03f, glm::vec3(1, 0, 0));
}

} // namespace

void buildChandelier(ModelBuilder& model) {
    model.uvRepeat = 0.5f;
    model.defineMaterial("iron", {{0.18f, 0.16f, 0.15f}, 1.0f, "iron.png", "iron_height.png"});
    model.defineMaterial("brass", {{0.72f, 0.55f, 0.25f}, 1.0f, "", ""});
    model.defineMaterial("wax", {{0.93f, 0.90f, 0.80f}, 1.0f, "", ""});
    cup(model);
    corona(model);
    rods(model);
    chain(model);
}
