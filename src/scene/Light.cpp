// Light: a plain point-light record; the fields are read directly by the rendering passes.
#include "scene/Light.h"

Light::Light(glm::vec3 position, glm::vec3 color, float linear, float quadratic)
    : position(position), color(color), linear(linear), quadratic(quadratic) {}
