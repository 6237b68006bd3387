// Light: one point light of the scene, read by the lighting pass and the cube shadow maps. The
// attenuation is 1 / (1 + linear d + quadratic d^2); there is no constant term or radius here.
#pragma once

#include <glm/glm.hpp>

class Light {
public:
    glm::vec3 position;
    glm::vec3 color; // linear RGB, 1.0 = full
    float linear;
    float quadratic;

    Light(glm::vec3 position, glm::vec3 color, float linear, float quadratic);
};
