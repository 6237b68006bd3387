// Shapes: walls with openings, barrel vaults, faceted domes, boxes and prisms. Texture
// coordinates run in world units (one repeat per ModelBuilder::uvRepeat) along each surface.
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

const glm::vec3 up(0.0f, 1.0f, 0.0f);

// Linear interpolation through sorted sample points (u_k, y_k).
float polyline(const std::vector<glm::vec2>& pts, float u) {
    if (u <= pts.front().x) {
        return pts.front().y;
    }
    for (size_t i = 1; i < pts.size(); ++i) {
        if (u <= pts[i].x) {
            float t = (u - pts[i - 1].x) / std::max(1e-6f, pts[i].x - pts[i - 1].x);
            return pts[i - 1].y + t * (pts[i].y - pts[i - 1].y);
        }
    }
    return pts.back().y;
}

std::vector<float> evenSamples(float u0, float u1, int n) {
    std::vector<float> s;
    for (int i = 0; i <= n; ++i) {
        s.push_back(u0 + (u1 - u0) * float(i) / float(n));
    }
    return s;
}

} // namespace

float Wall::length() const {
    return glm::length(p1 - p0);
}
glm::vec3 Wall::along() const {
    return glm::normalize(p1 - p0);
}
glm::vec3 Wall::inward() const {
    return glm::cross(along(), up);
}
glm::vec3 Wall::point(float u, float y, float depth) const {
    glm::vec3 base = p0 + along() * u - inward() * depth;
    return glm::vec3(base.x, y, base.z);
}
float Wall::uOf(glm::vec3 world) const {
    glm::vec3 d = world - p0;
    d.y = 0.0f;
    return glm::dot(d, along());
}

Opening pointedOpening(float uCentre, float width, float sill, float spring,
                       const std::string& glass) {
    Opening o;
    float h = width * 0.5f;
    o.u0 = uCentre - h;
    o.u1 = uCentre + h;
    o.low = [sill](float) { return sill; };
    // Equilateral pointed arch: each half is an arc centred on the opposite springing point.
    o.high = [=](float u) {
        float d = u < uCentre ? (o.u1 - u) : (u - o.u0);
        return spring + std::sqrt(std::max(0.0f, width * width - d * d));
    };
    o.samples = evenSamples(o.u0, o.u1, 10);
    o.glass = glass;
    return o;
}

Opening roundOpening(float uCentre, float width, float sill, float spring, float rise,
                     const std::string& glass) {
    Opening o;
    float h = width * 0.5f;
    o.u0 = uCentre - h;
    o.u1 = uCentre + h;
    o.low = [sill](float) { return sill; };
    o.high = [=](float u) {
        float x = (u - uCentre) / h;
        return spring + rise * std::sqrt(std::max(0.0f, 1.0f - x * x));
    };
    // Angular sampling keeps the arch smooth near the springing.
    for (int i = 0; i <= 12; ++i) {
        o.samples.push_back(uCentre - h * std::cos(pi * float(i) / 12.0f));
    }
    o.glass = glass;
    return o;
}

Opening circleOpening(float uCentre, float yCentre, float radius, const std::string& glass) {
    Opening o;
    o.u0 = uCentre - radius;
    o.u1 = uCentre + radius;
    o.low = [=](float u) {
        float x = (u - uCentre) / radius;
        return yCentre - radius * std::sqrt(std::max(0.0f, 1.0f - x * x));
    };
    o.high = [=](float u) {
        float x = (u - uCentre) / radius;
        return yCentre + radius * std::sqrt(std::max(0.0f, 1.0f - x * x));
    };
    for (int i = 0; i <= 16; ++i) {
        o.samples.push_back(uCentre - radius * std::cos(pi * float(i) / 16.0f));
    }
    o.glass = glass;
    return o;
}

Opening barrelPassage(float uCentre, float radius, float floor, float spring, int segments) {
    Opening o;
    o.u0 = uCentre - radius;
    o.u1 = uCentre + radius;
    std::vector<glm::vec2> profile;
    for (int i = 0; i <= segments; ++i) {
        float a = pi * float(i) / float(segments);
        profile.emplace_back(uCentre - radius * std::cos(a), spring + radius * std::sin(a));
        o.samples.push_back(profile.back().x);
    }
    o.low = [floor](float) { return floor; };
    o.high = [profile](float u) { return polyline(profile, u); };
    o.reveals = false;
    return o;
}

void orientedQuad(ModelBuilder& model, const std::string& material, glm::vec3 a, glm::vec3 b,
                  glm::vec3 c, glm::vec3 d, glm::vec3 towards) {
    glm::vec3 n = glm::cross(c - a, d - b);
    if (glm::dot(n, towards) < 0.0f) {
        model.quad(material, d, c, b, a);
    } else {
        model.quad(material, a, b, c, d);
    }
}

namespace {

// Vertex on a wall face with texture coordinates running along the wall.
Vertex wallVertex(const Wall& w, float u, float y, float depth, glm::vec3 n, float repeat) {
    return Vertex{w.point(u, y, depth), n, glm::vec2(u, y) / repeat};
}

// Front (inner) and back (outer) faces of the strip between u=a and u=b, y from y0 to y1.
void wallStrip(ModelBuilder& shell, const Wall& w, float a, float b, float y0a, float y0b,
               float y1a, float y1b) {
    if (y1a - y0a < 1e-4f && y1b - y0b < 1e-4f) {
        return;
    }
    float rep = shell.uvRepeat;
    glm::vec3 n = w.inward();
    shell.quad(w.material, wallVertex(w, a, y0a, 0, n, rep), wallVertex(w, b, y0b, 0, n, rep),
               wallVertex(w, b, y1b, 0, n, rep), wallVertex(w, a, y1a, 0, n, rep));
    float t = w.thickness;
    // The outer face mirrors u so its texture reads the same way from outside.
    shell.quad(w.material, wallVertex(w, b, y0b, t, -n, rep), wallVertex(w, a, y0a, t, -n, rep),
               wallVertex(w, a, y1a, t, -n, rep), wallVertex(w, b, y1b, t, -n, rep));
}

// Surface through the wall's depth along the segment (a, ya)-(b, yb), facing `towards`.
void reveal(ModelBuilder& shell, const Wall& w, float a, float ya, float b, float yb,
            glm::vec3 towards) {
    orientedQuad(shell, w.material, w.point(a, ya, 0), w.point(b, yb, 0),
                 w.point(b, yb, w.thickness), w.point(a, ya, w.thickness), towards);
}

void pane(ModelBuilder& windows, const Wall& w, const Opening& o, float a, float b) {
    float ya0 = o.low(a), yb0 = o.low(b), ya1 = o.high(a), yb1 = o.high(b);
    float yMin = 1e9f, yMax = -1e9f;
    for (float s : o.samples) {
        yMin = std::min(yMin, o.low(s));
        yMax = std::max(yMax, o.high(s));
    }
    auto uv = [&](float u, float y) {
        return glm::vec2((u - o.u0) / (o.u1 - o.u0), (y - yMin) / std::max(1e-4f, yMax - yMin));
    };
    float d = w.thickness * 0.5f;
    glm::vec3 n = w.inward();
    Vertex v0{w.point(a, ya0, d), n, uv(a, ya0)};
    Vertex v1{w.point(b, yb0, d), n, uv(b, yb0)};
    Vertex v2{w.point(b, yb1, d), n, uv(b, yb1)};
    Vertex v3{w.point(a, ya1, d), n, uv(a, ya1)};
    windows.quad(o.glass, v0, v1, v2, v3);
}

// Openings whose span covers u, from the lowest up.
std::vector<const Opening*> openingsAt(const Wall& w, float u) {
    std::vector<const Opening*> found;
    for (const Opening& o : w.openings) {
        if (u > o.u0 && u < o.u1) {
            found.push_back(&o);
        }
    }
    std::sort(found.begin(), found.end(),
              [u](const Opening* a, const Opening* b) { return a->low(u) < b->low(u); });
    return found;
}

bool isOutlineSample(const Wall& w, float u) {
    for (const Opening& o : w.openings) {
        for (float s : o.samples) {
            if (std::fabs(s - u) < 1e-3f) {
                return true;
            }
        }
    }
    return false;
}

// Where the slab is cut into vertical strips: evenly along plain wall (so curved tops are
// followed) and at every outline sample of every opening.
std::vector<float> wallBreakpoints(const Wall& w) {
    float u0 = -w.extend, u1 = w.length() + w.extend;
    std::vector<float> us = evenSamples(u0, u1, std::max(1, int(std::ceil((u1 - u0) / 0.75f))));
    for (const Opening& o : w.openings) {
        us.insert(us.end(), o.samples.begin(), o.samples.end());
    }
    std::sort(us.begin(), us.end());
    std::vector<float> kept;
    for (float u : us) {
        if (u < u0 - 1e-4f || u > u1 + 1e-4f) {
            continue;
        }
        if (!kept.empty() && u - kept.back() <= 1e-3f) {
            continue;
        }
        if (!openingsAt(w, u).empty() && !isOutlineSample(w, u)) {
            continue;
        }
        kept.push_back(u);
    }
    return kept;
}

// The reveal surfaces and pane of one opening over the strip between a and b.
void openingStrip(ModelBuilder& shell, ModelBuilder& windows, const Wall& w, const Opening& o,
                  float a, float b) {
    float la = o.low(a), lb = o.low(b), ha = o.high(a), hb = o.high(b);
    glm::vec3 mid = w.point(0.5f * (a + b), 0, 0);
    glm::vec3 centre(mid.x, 0.25f * (la + lb + ha + hb), mid.z);
    bool sill = std::fabs(la - w.yBottom) > 1e-4f || std::fabs(lb - w.yBottom) > 1e-4f;
    if (o.reveals && sill) {
        reveal(shell, w, a, la, b, lb, centre - w.point(0.5f * (a + b), 0.5f * (la + lb), 0));
    }
    if (o.reveals) {
        reveal(shell, w, a, ha, b, hb, centre - w.point(0.5f * (a + b), 0.5f * (ha + hb), 0));
    }
    if (!o.glass.empty()) {
        pane(windows, w, o, a, b);
    }
}

} // namespace

void buildWall(ModelBuilder& shell, ModelBuilder& windows, const Wall& w) {
    std::vector<float> us = wallBreakpoints(w);
    for (size_t i = 0; i + 1 < us.size(); ++i) {
        float a = us[i], b = us[i + 1];
        float ta = w.top(a), tb = w.top(b);
        // Solid stone between the openings stacked over this strip.
        float ya = w.yBottom, yb = w.yBottom;
        for (const Opening* o : openingsAt(w, 0.5f * (a + b))) {
            wallStrip(shell, w, a, b, ya, yb, o->low(a), o->low(b));
            openingStrip(shell, windows, w, *o, a, b);
            ya = o->high(a);
            yb = o->high(b);
        }
        wallStrip(shell, w, a, b, ya, yb, ta, tb);
        orientedQuad(shell, w.material, w.point(a, ta, 0), w.point(b, tb, 0),
                     w.point(b, tb, w.thickness), w.point(a, ta, w.thickness), up);
    }
    for (const Opening& o : w.openings) {
        if (!o.reveals) {
            continue;
        }
        float la = o.low(o.u0), ha = o.high(o.u0), lb = o.low(o.u1), hb = o.high(o.u1);
        if (ha - la > 1e-3f) {
            reveal(shell, w, o.u0, la, o.u0, ha, w.along());
        }
        if (hb - lb > 1e-3f) {
            reveal(shell, w, o.u1, lb, o.u1, hb, -w.along());
        }
    }
}

void buildBarrelVault(ModelBuilder& shell, const std::string& material, glm::vec3 a, glm::vec3 b,
                      float r, float t, int segments) {
    glm::vec3 axis = glm::normalize(b - a);
    glm::vec3 side = glm::cross(up, axis);
    float len = glm::length(b - a);
    int steps = std::max(1, int(std::ceil(len / 3.0f)));
    float rep = shell.uvRepeat;
    for (int i = 0; i < segments; ++i) {
        float t0 = pi * float(i) / float(segments), t1 = pi * float(i + 1) / float(segments);
        glm::vec3 d0 = side * std::cos(t0) + up * std::sin(t0);
        glm::vec3 d1 = side * std::cos(t1) + up * std::sin(t1);
        for (int j = 0; j < steps; ++j) {
            float s0 = len * float(j) / float(steps), s1 = len * float(j + 1) / float(steps);
            // Inner surface, facing the axis.
            Vertex v00{a + axis * s0 + d0 * r, -d0, glm::vec2(r * t0, s0) / rep};
            Vertex v01{a + axis * s1 + d0 * r, -d0, glm::vec2(r * t0, s1) / rep};
            Vertex v10{a + axis * s0 + d1 * r, -d1, glm::vec2(r * t1, s0) / rep};
            Vertex v11{a + axis * s1 + d1 * r, -d1, glm::vec2(r * t1, s1) / rep};
            glm::vec3 n = glm::cross(v10.position - v00.position, v01.position - v00.position);
            if (glm::dot(n, -(d0 + d1)) >= 0.0f) {
                shell.quad(material, v00, v10, v11, v01);
            } else {
                shell.quad(material, v00, v01, v11, v10);
            }
            if (t <= 0.0f) {
                continue;
            }
            // Outer skin.
            float R = r + t;
            Vertex o00{a + axis * s0 + d0 * R, d0, glm::vec2(R * t0, s0) / rep};
            Vertex o01{a + axis * s1 + d0 * R, d0, glm::vec2(R * t0, s1) / rep};
            Vertex o10{a + axis * s0 + d1 * R, d1, glm::vec2(R * t1, s0) / rep};
            Vertex o11{a + axis * s1 + d1 * R, d1, glm::vec2(R * t1, s1) / rep};
            if (glm::dot(n, -(d0 + d1)) >= 0.0f) {
                shell.quad(material, o00, o01, o11, o10);
            } else {
                shell.quad(material, o00, o10, o11, o01);
            }
        }
    }
}

void buildPolygonDome(ModelBuilder& shell, const std::string& material, glm::vec3 centre, float r,
                      float t, float a0, float a1, int facets, int rows) {
    float rep = shell.uvRepeat;
    auto corner = [&](int k) {
        float a = a0 + (a1 - a0) * float(k) / float(facets);
        return glm::vec3(std::cos(a), 0.0f, std::sin(a));
    };
    for (int k = 0; k < facets; ++k) {
        glm::vec3 c0 = corner(k), c1 = corner(k + 1);
        glm::vec3 mid = glm::normalize(c0 + c1);
        for (int j = 0; j < rows; ++j) {
            float p0 = 0.5f * pi * float(j) / float(rows),
                  p1 = 0.5f * pi * float(j + 1) / float(rows);
            for (int skin = 0; skin < 2; ++skin) {
                float R = skin == 0 ? r : r + t;
                auto at = [&](glm::vec3 c, float p) {
                    return centre + c * (R * std::cos(p)) + up * (R * std::sin(p));
                };
                glm::vec3 q00 = at(c0, p0), q10 = at(c1, p0), q11 = at(c1, p1), q01 = at(c0, p1);
                glm::vec3 outward =
                    mid * std::cos(0.5f * (p0 + p1)) + up * std::sin(0.5f * (p0 + p1));
                glm::vec3 want = skin == 0 ? -outward : outward;
                glm::vec3 n = glm::normalize(glm::cross(q11 - q00, q01 - q10));
                float arcA = R * float(k) * (a1 - a0) / float(facets);
                float arcB = R * float(k + 1) * (a1 - a0) / float(facets);
                if (glm::dot(n, want) < 0.0f) {
                    n = -n;
                    std::swap(q00, q10);
                    std::swap(q01, q11);
                    std::swap(arcA, arcB);
                }
                auto v = [&](glm::vec3 p, float s, float phi) {
                    return Vertex{p, n, glm::vec2(s * std::cos(phi), R * phi) / rep};
                };
                shell.quad(material, v(q00, arcA, p0), v(q10, arcB, p0), v(q11, arcB, p1),
                           v(q01, arcA, p1));
            }
        }
    }
}

void buildBox(ModelBuilder& m, const std::string& mat, glm::vec3 lo, glm::vec3 hi, bool bottom) {
    glm::vec3 c = 0.5f * (lo + hi);
    auto face = [&](glm::vec3 a, glm::vec3 b, glm::vec3 cc, glm::vec3 d) {
        glm::vec3 fc = 0.25f * (a + b + cc + d);
        orientedQuad(m, mat, a, b, cc, d, fc - c);
    };
    face({lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z});
    face({hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z});
    face({lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z});
    face({lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z});
    face({lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z});
    if (bottom) {
        face({lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z});
    }
}

void buildCylinder(ModelBuilder& m, const std::string& mat, glm::vec3 base, float r0, float r1,
                   float height, int sides) {
    float rep = m.uvRepeat;
    for (int k = 0; k < sides; ++k) {
        float a0 = 2.0f * pi * float(k) / float(sides),
              a1 = 2.0f * pi * float(k + 1) / float(sides);
        glm::vec3 d0(std::cos(a0), 0, std::sin(a0)), d1(std::cos(a1), 0, std::sin(a1));
        float s0 = r0 * a0, s1 = r0 * a1;
        Vertex b0{base + d0 * r0, d0, glm::vec2(s0, base.y) / rep};
        Vertex b1{base + d1 * r0, d1, glm::vec2(s1, base.y) / rep};
        Vertex t1{base + d1 * r1 + up * height, d1, glm::vec2(s1, base.y + height) / rep};
        Vertex t0{base + d0 * r1 + up * height, d0, glm::vec2(s0, base.y + height) / rep};
        // Counter-clockwise seen from outside: angle grows from +x toward +z, i.e. clockwise
        // seen from above, so the outward winding runs b0, t0, t1, b1.
        m.quad(mat, b0, t0, t1, b1);
    }
}

void buildDisc(ModelBuilder& m, const std::string& mat, glm::vec3 centre, float r, int sides,
               glm::vec3 facing) {
    for (int k = 0; k < sides; ++k) {
        float a0 = 2.0f * pi * float(k) / float(sides),
              a1 = 2.0f * pi * float(k + 1) / float(sides);
        glm::vec3 p0 = centre + glm::vec3(std::cos(a0), 0, std::sin(a0)) * r;
        glm::vec3 p1 = centre + glm::vec3(std::cos(a1), 0, std::sin(a1)) * r;
        orientedQuad(m, mat, centre, p0, p1, 0.5f * (centre + p1), facing);
    }
}
