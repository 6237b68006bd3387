// Cathedral: the shell (floors, walls, vaults, crossing dome, apse, columns, furniture) and the
// stained-glass panes that sit in the shell's window openings. The interior is laid out around
// the tour: nave and aisles along +z, the crossing at (0, -8), transept arms along x, the choir
// and apse towards -z. Both models use world coordinates directly.
#pragma once

#include "ModelBuilder.h"

namespace layout {
const float floorY = -16.5f;      // top of the floor
const float springY = 0.0f;       // where the main barrel vaults spring
const float halfWidth = 4.2f;     // half width of nave, choir and transept; crossing half side
const float crossingZ = -8.0f;    // crossing centre (x = 0)
const float entranceZ = 18.5f;    // inner face of the entrance wall
const float apseZ = -15.5f;       // centre of the apse half-polygon
const float aisleOuterX = 7.6f;   // inner face of the aisle outer walls
const float transeptEndX = 10.5f; // inner face of the transept end walls
} // namespace layout

// Fills `shell` with the opaque cathedral and `windows` with its panes, defining materials.
void buildCathedral(ModelBuilder& shell, ModelBuilder& windows);
