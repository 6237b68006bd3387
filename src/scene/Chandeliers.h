// Chandeliers: where the scene's seven chandeliers hang and the lamp each one carries, as data.
// The Scene builds its chandeliers, lights and flames from it; the asset tools and checks use it
// to hang the same lamps in the generated cathedral.
#pragma once

#include <glm/glm.hpp>

// Where the seven chandeliers hang (world space), in the order of the scene's light list.
inline const glm::vec3 chandelierOffsets[] = {
    {6.0f, -11.3f, -8.0f}, {-6.0f, -11.3f, -8.0f}, {3.0f, -15.0f, 4.0f},   {-3.0f, -15.0f, 4.0f},
    {3.0f, -15.0f, 16.0f}, {-3.0f, -15.0f, 16.0f}, {0.0f, -12.5f, -16.0f},
};

// Every chandelier carries the same lamp: its light 0.7 above the chandelier's origin and its
// flame 0.5 above it.
inline const glm::vec3 lampHeight(0.0f, 0.7f, 0.0f);
inline const glm::vec3 flameHeight(0.0f, 0.5f, 0.0f);
inline const glm::vec3 lampColor(1.0f, 1.0f, 0.75f);
inline const float lampLinear = 0.0f;
inline const float lampQuadratic = 0.3f;
