// The light-volume radius: where a light's brightest channel, attenuated by
// 1 / (1 + l d + q d^2), falls to the cut-off level, including the degenerate coefficient sets.
#include "scene/Chandeliers.h"
#include "scene/Light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

float attenuatedPeak(const Light& light, float d) {
    float peak = std::fmax(std::fmax(light.color.r, light.color.g), light.color.b);
    return peak / (1.0f + light.linear * d + light.quadratic * d * d);
}

} // namespace

TEST(LightRadiusTest, SceneLampsReachTheirCutOffAtTheKnownRadius) {
    Light lamp(chandelierOffsets[0] + lampHeight, lampColor, lampLinear, lampQuadratic);
    float radius = lamp.radius();
    EXPECT_NEAR(radius, 12.9357f, 1e-4f);
    EXPECT_NEAR(attenuatedPeak(lamp, radius), lightCutoffLevel, 1e-5f);
    // Only the brightest channel counts, whichever it is.
    Light blue(glm::vec3(0.0f), glm::vec3(0.2f, 0.3f, 1.0f), lampLinear, lampQuadratic);
    EXPECT_FLOAT_EQ(blue.radius(), radius);
}

TEST(LightRadiusTest, EveryCoefficientSetYieldsTheCutOffDistance) {
    const float linears[] = {0.0f, 0.09f, 0.7f};
    const float quadratics[] = {0.032f, 0.3f, 1.8f};
    for (float l : linears) {
        for (float q : quadratics) {
            Light light(glm::vec3(0.0f), glm::vec3(0.8f, 0.5f, 0.1f), l, q);
            float radius = light.radius();
            EXPECT_GT(radius, 0.0f) << "l " << l << " q " << q;
            EXPECT_NEAR(attenuatedPeak(light, radius), lightCutoffLevel, 1e-4f)
                << "l " << l << " q " << q;
        }
    }
}

TEST(LightRadiusTest, DegenerateLightsGiveUsableRadii) {
    // Without a quadratic term the falloff is linear: still a finite, exact cut-off.
    Light linearOnly(glm::vec3(0.0f), glm::vec3(1.0f), 0.5f, 0.0f);
    float radius = linearOnly.radius();
    EXPECT_TRUE(std::isfinite(radius));
    EXPECT_NEAR(attenuatedPeak(linearOnly, radius), lightCutoffLevel, 1e-5f);
    // No falloff at all: the light reaches everything.
    Light constant(glm::vec3(0.0f), glm::vec3(1.0f), 0.0f, 0.0f);
    EXPECT_EQ(constant.radius(), std::numeric_limits<float>::max());
    // A light dimmer than the cut-off at its source lights nothing (never NaN or negative).
    Light dim(glm::vec3(0.0f), glm::vec3(0.01f), 0.0f, 0.3f);
    EXPECT_EQ(dim.radius(), 0.0f);
    Light black(glm::vec3(0.0f), glm::vec3(0.0f), 0.0f, 0.0f);
    EXPECT_EQ(black.radius(), 0.0f);
}
