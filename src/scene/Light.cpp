// Light: a plain point-light record; the fields are read directly by the rendering passes, the
// reach is worked out from them.
#include "scene/Light.h"

#include <algorithm>
#include <cmath>
#include <limits>

Light::Light(glm::vec3 position, glm::vec3 color, float linear, float quadratic)
    : position(position), color(color), linear(linear), quadratic(quadratic) {}

float Light::radius() const {
    const float constant = 1.0f;
    // Times lightMax: the attenuation denominator 1 + l d + q d^2 at the edge of the reach.
    const double cutoffDenominator = 1.0 / lightCutoffLevel;
    float lightMax = std::max(std::max(color.r, color.g), color.b);
    float l = linear;
    float q = quadratic;
    if (q == 0.0f) {
        // No quadratic term: the falloff is linear (or absent when l is 0 too).
        if (l <= 0.0f) {
            return lightMax * cutoffDenominator > constant ? std::numeric_limits<float>::max()
                                                           : 0.0f;
        }
        return std::max(0.0f, static_cast<float>((cutoffDenominator * lightMax - constant) / l));
    }
    // The discriminant is formed in double and rounded to float before the square root.
    float discriminant =
        static_cast<float>(l * l - 4 * q * (constant - cutoffDenominator * lightMax));
    if (discriminant < 0.0f) {
        return 0.0f;
    }
    return std::max(0.0f, (-l + std::sqrt(discriminant)) / (2 * q));
}
