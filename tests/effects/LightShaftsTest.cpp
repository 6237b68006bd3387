// The light's pixel position on the light-shaft target: clip x/y to pixels from the top-left,
// without division by w, rounded to whole pixels with halves away from zero.
#include "render/LightShaftsTechnique.h"

#include <gtest/gtest.h>

namespace {

// The identity matrix makes the light position its own clip position.
glm::vec2 screenOfClip(float x, float y, int width, int height, float w = 1.0f) {
    glm::mat4 scaleW(1.0f);
    scaleW[3][3] = w;
    return LightShaftsTechnique::computeScreenPosition(glm::vec3(x, y, 0.5f), scaleW, width,
                                                       height);
}

} // namespace

TEST(LightShaftsScreenPosition, MapsClipCornersAndCentreToTopLeftPixels) {
    EXPECT_EQ(screenOfClip(0.0f, 0.0f, 1024, 768), glm::vec2(512.0f, 384.0f));
    EXPECT_EQ(screenOfClip(1.0f, 1.0f, 1024, 768), glm::vec2(1024.0f, 0.0f));
    EXPECT_EQ(screenOfClip(-1.0f, -1.0f, 1024, 768), glm::vec2(0.0f, 768.0f));
    EXPECT_EQ(screenOfClip(-1.0f, 1.0f, 1024, 768), glm::vec2(0.0f, 0.0f));
}

TEST(LightShaftsScreenPosition, AppliesTheLightMatrixButIgnoresClipW) {
    EXPECT_EQ(screenOfClip(0.5f, -0.5f, 1024, 768, 4.0f), glm::vec2(768.0f, 576.0f));
    glm::mat4 shiftRight(1.0f);
    shiftRight[3] = glm::vec4(0.5f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(LightShaftsTechnique::computeScreenPosition(glm::vec3(0.0f), shiftRight, 1024, 768),
              glm::vec2(768.0f, 384.0f));
}

TEST(LightShaftsScreenPosition, RoundsHalvesAwayFromZero) {
    // -0.5 pixels goes to -1, not to 0 as truncation or rounding half up would give
    EXPECT_EQ(screenOfClip(-1.001f, 0.0f, 1000, 768).x, -1.0f);
    // 1.5 pixels (clip x -0.997 on 1000 pixels) goes to 2; 2.5 pixels to 3
    EXPECT_EQ(screenOfClip(-0.997f, 0.0f, 1000, 768).x, 2.0f);
    EXPECT_EQ(screenOfClip(0.25f, 0.0f, 4, 768).x, 3.0f);
    // y below the bottom edge: (1 - (-1.25)) / 2 * 2 = 2.25 -> 2; above the top: -0.25 -> 0
    EXPECT_EQ(screenOfClip(0.0f, -1.25f, 1024, 2).y, 2.0f);
    EXPECT_EQ(screenOfClip(0.0f, 1.5f, 1024, 1).y, 0.0f);
    EXPECT_EQ(screenOfClip(0.0f, 2.0f, 1024, 3).y, -2.0f); // -1.5 -> -2
}
