// Camera, spline and tour tests without an OpenGL context. Expected values come from
// trigonometry and the Hermite basis functions, not from the classes' own formulas.
#include "scene/Camera.h"
#include "scene/CameraPathAnimation.h"
#include "scene/CameraTour.h"
#include "scene/LinearSpline.h"
#include "scene/SceneObject.h"

#include "OutputCapture.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>

namespace {

float rad(float degrees) {
    return degrees * 3.14159265358979f / 180.0f;
}

void expectVec3Near(glm::vec3 actual, glm::vec3 expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// View direction for pitch p (positive looks down) and yaw y (0 = -Z, 90 = +X).
glm::vec3 expectedForward(float p, float y) {
    return glm::vec3(std::sin(rad(y)) * std::cos(rad(p)), -std::sin(rad(p)),
                     -std::cos(rad(y)) * std::cos(rad(p)));
}

} // namespace

TEST(Camera, NormalisationWrapsAndClampsPitchAndCorrectsYawOnce) {
    const glm::vec3 cases[][2] = {
        {{100, 10, 0}, {85, 10, 0}}, {{-100, 10, 0}, {-85, 10, 0}},
        {{400, 10, 0}, {40, 10, 0}}, {{-400, 10, 0}, {-40, 10, 0}},
        {{0, -10, 0}, {0, 350, 0}},  {{0, 370, 0}, {0, 10, 0}},
        {{0, 900, 0}, {0, 540, 0}},  {{0, 360, 0}, {0, 360, 0}},
        {{0, 0, 500}, {0, 0, 500}},  {{-725, -800, -1}, {-5, -440, -1}},
    };
    for (const auto& c : cases) {
        Camera camera;
        camera.setRotation(c[0]);
        expectVec3Near(camera.getRotation(), c[1], 1e-4f);
    }
    Camera camera;
    camera.setRotation(glm::vec3(80, 350, 0));
    camera.rotate(glm::vec3(1, 0, 0), 10.0f);
    camera.rotate(glm::vec3(0, 1, 0), 20.0f);
    expectVec3Near(camera.getRotation(), glm::vec3(85, 10, 0), 1e-4f);
}

// A point ahead of the camera lands on the view-space -Z axis, one to its right on +X.
TEST(Camera, DirectionsAndViewFollowPitchAndYaw) {
    Camera camera;
    EXPECT_EQ(camera.getViewMatrix(), glm::mat4(1.0f));
    for (glm::vec2 angles : {glm::vec2(0, 0), glm::vec2(0, 90), glm::vec2(0, 270),
                             glm::vec2(30, 90), glm::vec2(20, 130)}) {
        camera.setPosition(glm::vec3(1, 2, 3));
        camera.setRotation(glm::vec3(angles, 0.0f));
        const glm::vec3 right(std::cos(rad(angles.y)), 0.0f, std::sin(rad(angles.y)));
        expectVec3Near(camera.getForward(), expectedForward(angles.x, angles.y));
        expectVec3Near(camera.getRight(), right);
        const glm::mat4 view = camera.getViewMatrix();
        const glm::vec3 ahead = glm::vec3(1, 2, 3) + 5.0f * expectedForward(angles.x, angles.y);
        expectVec3Near(glm::vec3(view * glm::vec4(ahead, 1)), glm::vec3(0, 0, -5), 1e-4f);
        expectVec3Near(glm::vec3(view * glm::vec4(glm::vec3(1, 2, 3) + 2.0f * right, 1)),
                       glm::vec3(2, 0, 0), 1e-4f);
    }
}

// Translation applies in the object's frame: a turned object moves along its turned axes.
TEST(SceneObject, TranslationsComposeOnTheRight) {
    SceneObject object;
    object.translate(glm::vec3(1, 0, 0));
    object.translate(glm::vec3(0, 2, 0));
    EXPECT_EQ(object.modelMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 0)));
    SceneObject turned;
    turned.modelMatrix = glm::rotate(glm::mat4(1.0f), rad(90.0f), glm::vec3(0, 1, 0));
    turned.translate(glm::vec3(1, 0, 0));
    expectVec3Near(glm::vec3(turned.modelMatrix[3]), glm::vec3(0, 0, -1));
}

namespace {

const glm::vec3 tourPoints[] = {{0, -13, 17}, {0, -13, 17}, {0, -13, 1}, {3, -13, -2}, {6, -13, 1}};
const double tourTimes[] = {0.0, 0.01, 16.01, 25.4345, 34.859};

LinearSpline tourStart() {
    LinearSpline spline;
    for (int i = 0; i < 5; ++i) {
        spline.addKey(tourTimes[i], tourPoints[i]);
    }
    spline.reset();
    return spline;
}

// Cubic Hermite from p1 to p2 with Catmull-Rom tangents, through the basis functions.
glm::vec3 hermiteBasis(const glm::vec3* p, float s) {
    const float h00 = 2 * s * s * s - 3 * s * s + 1, h10 = s * s * s - 2 * s * s + s;
    const float h01 = -2 * s * s * s + 3 * s * s, h11 = s * s * s - s * s;
    return h00 * p[1] + h10 * (p[2] - p[0]) / 2.0f + h01 * p[2] + h11 * (p[3] - p[1]) / 2.0f;
}

} // namespace

TEST(LinearSpline, CatmullRomBetweenInnerKeysHeldOutside) {
    LinearSpline spline = tourStart();
    expectVec3Near(spline.interpolate(-5.0), tourPoints[1], 0.0f);
    expectVec3Near(spline.interpolate(8.01), glm::vec3(-0.1875f, -13.0f, 9.1875f));
    expectVec3Near(spline.interpolate(16.01), tourPoints[2], 1e-6f);
    for (float s : {0.1f, 0.37f, 0.9f}) {
        expectVec3Near(spline.interpolate(16.01 + s * (25.4345 - 16.01)),
                       hermiteBasis(&tourPoints[1], s), 1e-4f);
    }
    expectVec3Near(spline.interpolate(30.0), tourPoints[3], 0.0f);
    expectVec3Near(spline.interpolate(500.0), tourPoints[3], 0.0f);
    // a copy evaluates its own keys, not the original's
    spline.interpolate(20.0);
    LinearSpline copy = spline;
    spline.keys[25.4345] = glm::vec3(100.0f);
    expectVec3Near(copy.interpolate(20.0), tourStart().interpolate(20.0), 0.0f);
    spline = tourStart();
    spline.interpolate(30.0);
    // going back after the window moved gives what a fresh spline gives
    for (double x : {20.0, 8.01, 0.005, 24.0}) {
        LinearSpline fresh = tourStart();
        expectVec3Near(spline.interpolate(x), fresh.interpolate(x), 0.0f);
    }
}

TEST(LinearSpline, FewerThanFourKeysWarnAndYieldZeroAndLateKeysCount) {
    const std::string warning =
        "WARNING: LinearSpline::interpolate requires at least four keys in the map\n";
    LinearSpline spline;
    std::string output = captureOutput([&] {
        expectVec3Near(spline.interpolate(1.0), glm::vec3(0.0f), 0.0f);
        for (int i = 0; i < 3; ++i) {
            spline.addKey(i, glm::vec3(i + 1.0f));
        }
        spline.reset();
        expectVec3Near(spline.interpolate(1.5), glm::vec3(0.0f), 0.0f);
    });
    EXPECT_EQ(output, warning + warning);
    // keys added after the window was placed are honoured without another reset
    spline.addKey(3.0, glm::vec3(4));
    expectVec3Near(spline.interpolate(1.5), glm::vec3(2.5f));
    spline.addKey(1.5, glm::vec3(9));
    expectVec3Near(spline.interpolate(1.5), glm::vec3(9), 0.0f);
}

// At 60 frames per second the tour takes about 110.8 s, moves without jumps, stops exactly once
// and then leaves the camera to others.
TEST(CameraPathAnimation, FlightLastsAboutOneHundredTenSecondsAndStopsOnce) {
    Camera camera;
    CameraPathAnimation animation;
    animation.setCamera(&camera);
    EXPECT_NEAR(animation.endTime, 221.59975, 1e-9);
    const double dt = 1.0 / 60.0;
    int frames = 0;
    float largestStep = 0.0f;
    glm::vec3 previous = tourPoints[0];
    OutputCapture capture;
    for (; animation.running && frames < 100000; ++frames) {
        animation.update(dt);
        largestStep = std::max(largestStep, glm::length(camera.getPosition() - previous));
        previous = camera.getPosition();
    }
    expectVec3Near(camera.getPosition(), glm::vec3(0, 4.5f, -11));
    expectVec3Near(camera.getRotation(), glm::vec3(45, 540, 0), 1e-4f);
    camera.translate(glm::vec3(1, 0, 0));
    for (int i = 0; i < 100; ++i) {
        animation.update(dt);
    }
    EXPECT_EQ(capture.finish(), "Animation stopped\n");
    EXPECT_NEAR(frames * dt, 110.8, 0.05);
    EXPECT_LT(largestStep, 0.1f) << "the camera jumped between two frames";
    expectVec3Near(camera.getPosition(), glm::vec3(1, 4.5f, -11));
}

// The program's tour passes through every key of its table from the second to the second-to-last,
// at the running sums of the increments, and holds those two keys outside them.
TEST(CameraPathAnimation, TourPassesThroughEveryInnerKeyOfItsTable) {
    CameraPathAnimation tour;
    const size_t count = std::size(tourKeys);
    ASSERT_EQ(count, 24u);
    double time = 0.0;
    for (size_t i = 0; i < count; ++i) {
        time += tourKeys[i].increment;
        if (i == 0 || i + 1 == count) {
            continue;
        }
        SCOPED_TRACE("key " + std::to_string(i));
        expectVec3Near(tour.positionSpline->interpolate(time), tourKeys[i].position, 1e-4f);
        expectVec3Near(tour.rotationSpline->interpolate(time), tourKeys[i].rotation, 1e-3f);
    }
    EXPECT_EQ(tour.endTime, time);
    expectVec3Near(tour.positionSpline->interpolate(0.0), tourKeys[1].position, 0.0f);
    expectVec3Near(tour.rotationSpline->interpolate(500.0), tourKeys[count - 2].rotation, 0.0f);
}

TEST(CameraPathAnimation, HalfSecondFramesStopInTheFrameThatPassesTheLastKey) {
    Camera camera;
    CameraPathAnimation animation;
    animation.setCamera(&camera);
    std::string output = captureOutput([&] {
        for (int frame = 1; frame <= 221; ++frame) {
            animation.update(0.5);
        }
    });
    EXPECT_TRUE(animation.running);
    EXPECT_EQ(output, "");
    EXPECT_EQ(captureOutput([&] { animation.update(0.5); }), "Animation stopped\n");
    EXPECT_FALSE(animation.running);
    EXPECT_EQ(animation.time, 222.0);
}
