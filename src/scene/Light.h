// Light: one point light of the scene, read by the lighting pass and the cube shadow maps. The
// attenuation is 1 / (1 + linear d + quadratic d^2); the reach (radius) follows from it.
#pragma once

#include <glm/glm.hpp>

// The level, as a fraction of a light's brightest channel, to which its attenuated light falls at
// the edge of its reach (5/256, exact in binary); nothing is lit beyond that distance.
constexpr double lightCutoffLevel = 5.0 / 256.0;

class Light {
public:
    glm::vec3 position;
    glm::vec3 color; // linear RGB, 1.0 = full
    float linear;
    float quadratic;

    Light(glm::vec3 position, glm::vec3 color, float linear, float quadratic);

    // Distance at which the brightest channel, attenuated by 1 / (1 + linear d + quadratic d^2),
    // falls to lightCutoffLevel; nothing is lit beyond it. 0 for a light too dim to reach that
    // level; the largest float for one that never falls to it.
    float radius() const;
};
