// Shapes: the architectural pieces the cathedral is assembled from. Each piece adds its
// triangles to a ModelBuilder with every visible face pointing into the room it bounds; solid
// pieces (walls, vaults) also get an outer skin, so light views from outside see closed stone.
#pragma once

#include "ModelBuilder.h"

#include <functional>
#include <string>
#include <vector>

// The one definition of pi for every generator.
inline constexpr float pi = 3.14159265358979f;

// A hole through a wall: its outline between u0 and u1 (along the wall) is bounded below by
// low(u) and above by high(u). Samples are the u positions its outline is built from.
struct Opening {
    float u0 = 0.0f, u1 = 0.0f;
    std::function<float(float)> low, high;
    std::vector<float> samples;
    std::string glass;   // pane material, empty for an open passage
    bool reveals = true; // false where the room behind continues its own surfaces through
};

// A vertical wall slab. Its inner face runs from p0 to p1 (the room lies to the right when
// walking from p0 to p1) from yBottom up to top(u); it is `thickness` deep behind that face.
struct Wall {
    glm::vec3 p0{0.0f}, p1{0.0f};
    float yBottom = 0.0f;
    float thickness = 0.6f;
    float extend = 0.0f; // the slab reaches this far past both ends (closes outer corners)
    std::function<float(float)> top;
    std::vector<Opening> openings;
    std::string material;

    float length() const;
    glm::vec3 along() const;
    glm::vec3 inward() const;
    glm::vec3 point(float u, float y, float depth) const;
    // Position along the wall of a world point's projection.
    float uOf(glm::vec3 world) const;
};

// Opening outlines, all in wall coordinates (u along the wall, y up).
Opening pointedOpening(float uCentre, float width, float sill, float spring,
                       const std::string& glass);
Opening roundOpening(float uCentre, float width, float sill, float spring, float rise,
                     const std::string& glass);
Opening circleOpening(float uCentre, float yCentre, float radius, const std::string& glass);
// Passage whose top follows a barrel vault of the given radius springing at `spring`.
Opening barrelPassage(float uCentre, float radius, float floor, float spring, int segments);

// Builds the slab into `shell` and its panes into `windows`.
void buildWall(ModelBuilder& shell, ModelBuilder& windows, const Wall& wall);

// Half-cylinder vault over an axis running from a to b (horizontal, at spring height),
// inner radius r, shell thickness t, `segments` steps over the half circle.
// Without an outer skin (t = 0) only the inner surface is built.
void buildBarrelVault(ModelBuilder& shell, const std::string& material, glm::vec3 a, glm::vec3 b,
                      float r, float t, int segments);

// Faceted dome over a regular polygon: centre at spring height, corner radius r, facets from
// angle a0 to a1 (radians, in the x-z plane measured from +x toward +z), `rows` rings up to
// the crown.
void buildPolygonDome(ModelBuilder& shell, const std::string& material, glm::vec3 centre, float r,
                      float t, float a0, float a1, int facets, int rows);

// Axis-aligned box with outward faces (no bottom face when open bottom is requested).
void buildBox(ModelBuilder& model, const std::string& material, glm::vec3 lo, glm::vec3 hi,
              bool bottom = true);

// Upright prism around a vertical axis (outward faces, no caps).
void buildCylinder(ModelBuilder& model, const std::string& material, glm::vec3 base, float r0,
                   float r1, float height, int sides);

// Flat regular polygon around `centre` in the horizontal plane, facing `facing` (up or down).
void buildDisc(ModelBuilder& model, const std::string& material, glm::vec3 centre, float r,
               int sides, glm::vec3 facing);

// Quad a-b-c-d whose winding is flipped where needed so its normal points along `towards`.
void orientedQuad(ModelBuilder& model, const std::string& material, glm::vec3 a, glm::vec3 b,
                  glm::vec3 c, glm::vec3 d, glm::vec3 towards);
