// Camera, scene-record and spline-path tests without an OpenGL context. Expected values are
// derived here from trigonometry and the Hermite basis functions, not from the classes' code.
#include "scene/Camera.h"
#include "scene/CameraPathAnimation.h"
#include "scene/Light.h"
#include "scene/LinearSpline.h"
#include "scene/SceneObject.h"
#include "scene/ShadowLight.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const float pi = 3.14159265358979f;

float rad(float degrees) {
    return degrees * pi / 180.0f;
}

void expectVec3Near(glm::vec3 actual, glm::vec3 expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectMat4Near(const glm::mat4& actual, const glm::mat4& expected, float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << " row " << r;
        }
    }
}

// View direction for pitch p (positive looks down) and yaw y (0 = -Z, 90 = +X).
glm::vec3 expectedForward(float pitch, float yaw) {
    return glm::vec3(std::sin(rad(yaw)) * std::cos(rad(pitch)), -std::sin(rad(pitch)),
                     -std::cos(rad(yaw)) * std::cos(rad(pitch)));
}

int countOccurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(Camera, FreshCameraHasIdentityViewAndProjection) {
    Camera camera;
    expectMat4Near(camera.getViewMatrix(), glm::mat4(1.0f), 0.0f);
    expectMat4Near(camera.getProjectionMatrix(), glm::mat4(1.0f), 0.0f);
}

TEST(Camera, PerspectiveIsTheRightHandedOpenGLProjection) {
    Camera camera;
    camera.setPerspective(70.0f, 4.0f / 3.0f, 0.01f, 50.0f);
    const float f = 1.0f / std::tan(rad(70.0f) / 2.0f);
    glm::mat4 expected(0.0f);
    expected[0][0] = f / (4.0f / 3.0f);
    expected[1][1] = f;
    expected[2][2] = -(50.0f + 0.01f) / (50.0f - 0.01f);
    expected[2][3] = -1.0f;
    expected[3][2] = -2.0f * 50.0f * 0.01f / (50.0f - 0.01f);
    expectMat4Near(camera.getProjectionMatrix(), expected, 1e-4f);
    EXPECT_FLOAT_EQ(camera.fieldOfView, 70.0f);
    EXPECT_FLOAT_EQ(camera.nearPlane, 0.01f);
    EXPECT_FLOAT_EQ(camera.farPlane, 50.0f);
}

TEST(Camera, ForwardAndRightFollowYawAndPitch) {
    Camera camera;
    expectVec3Near(camera.getForward(), glm::vec3(0, 0, -1));
    expectVec3Near(camera.getRight(), glm::vec3(1, 0, 0));
    const float yaws[] = {90.0f, 180.0f, 270.0f, 33.0f};
    for (float yaw : yaws) {
        camera.setRotation(glm::vec3(0.0f, yaw, 0.0f));
        expectVec3Near(camera.getForward(), expectedForward(0.0f, yaw));
        expectVec3Near(camera.getRight(), glm::vec3(std::cos(rad(yaw)), 0.0f, std::sin(rad(yaw))));
    }
    camera.setRotation(glm::vec3(30.0f, 90.0f, 0.0f));
    expectVec3Near(camera.getForward(), expectedForward(30.0f, 90.0f));
    EXPECT_LT(camera.getForward().y, 0.0f) << "positive pitch must look down";
}

// A point straight ahead of the camera lands on the view-space -Z axis; one to its right on +X.
TEST(Camera, ViewMatrixPutsTheCameraAtTheOriginLookingDownMinusZ) {
    Camera camera;
    camera.setPosition(glm::vec3(1.0f, 2.0f, 3.0f));
    camera.setRotation(glm::vec3(20.0f, 130.0f, 0.0f));
    const glm::mat4 view = camera.getViewMatrix();
    const glm::vec3 ahead = camera.getPosition() + 5.0f * expectedForward(20.0f, 130.0f);
    expectVec3Near(glm::vec3(view * glm::vec4(ahead, 1.0f)), glm::vec3(0, 0, -5), 1e-4f);
    const glm::vec3 right =
        camera.getPosition() + 2.0f * glm::vec3(std::cos(rad(130.0f)), 0.0f, std::sin(rad(130.0f)));
    expectVec3Near(glm::vec3(view * glm::vec4(right, 1.0f)), glm::vec3(2, 0, 0), 1e-4f);
    expectVec3Near(glm::vec3(view * glm::vec4(camera.getPosition(), 1.0f)), glm::vec3(0.0f));
}

TEST(Camera, NormalisationWrapsAndClampsPitchAndCorrectsYawOnce) {
    struct Case {
        glm::vec3 in;
        glm::vec3 out;
    };
    const Case cases[] = {
        {{100, 10, 0}, {85, 10, 0}},
        {{-100, 10, 0}, {-85, 10, 0}},
        {{400, 10, 0}, {40, 10, 0}},
        {{-400, 10, 0}, {-40, 10, 0}},
        {{0, -10, 0}, {0, 350, 0}},
        {{0, 370, 0}, {0, 10, 0}},
        {{0, 900, 0}, {0, 540, 0}},
        {{0, 360, 0}, {0, 360, 0}},
        {{0, 0, 0}, {0, 0, 0}},
        {{0, 0, 500}, {0, 0, 500}},
        {{-725, -800, -1}, {-5, -440, -1}},
    };
    for (const Case& c : cases) {
        Camera camera;
        camera.setRotation(c.in);
        expectVec3Near(camera.getRotation(), c.out, 1e-4f);
    }
    Camera camera;
    camera.setRotation(glm::vec3(80.0f, 350.0f, 0.0f));
    camera.rotate(glm::vec3(1, 0, 0), 10.0f);
    camera.rotate(glm::vec3(0, 1, 0), 20.0f);
    expectVec3Near(camera.getRotation(), glm::vec3(85.0f, 10.0f, 0.0f), 1e-4f);
}

TEST(SceneRecords, TranslationsComposeInTheObjectsFrame) {
    SceneObject object;
    object.translate(glm::vec3(1, 0, 0));
    object.translate(glm::vec3(0, 2, 0));
    glm::mat4 expected(1.0f);
    expected[3] = glm::vec4(1, 2, 0, 1);
    expectMat4Near(object.modelMatrix, expected, 0.0f);
    object.update(1.0f);
    expectMat4Near(object.modelMatrix, expected, 0.0f);

    // turned 90 degrees about y: its local +X is world -Z
    SceneObject turned;
    turned.modelMatrix = glm::rotate(glm::mat4(1.0f), rad(90.0f), glm::vec3(0, 1, 0));
    turned.translate(glm::vec3(1, 0, 0));
    expectVec3Near(glm::vec3(turned.modelMatrix[3]), glm::vec3(0, 0, -1));
}

TEST(SceneRecords, ShadowLightLooksAtItsTargetWithAFixedFourByThreeFrustum) {
    ShadowLight light(glm::vec3(-10, 5, 0), glm::vec3(0, 0, 0));
    const glm::mat4 view = light.getViewMatrix();
    expectVec3Near(glm::vec3(view * glm::vec4(-10, 5, 0, 1)), glm::vec3(0.0f), 1e-5f);
    const float distance = std::sqrt(125.0f);
    expectVec3Near(glm::vec3(view * glm::vec4(0, 0, 0, 1)), glm::vec3(0, 0, -distance), 1e-4f);
    const glm::mat4 projection = light.getProjectionMatrix();
    const float f = 1.0f / std::tan(rad(35.0f));
    EXPECT_NEAR(projection[1][1], f, 1e-5f);
    EXPECT_NEAR(projection[0][0], f * 0.75f, 1e-5f);
    EXPECT_NEAR(projection[3][2], -2.0f * 100.0f * 0.01f / (100.0f - 0.01f), 1e-6f);
    EXPECT_FLOAT_EQ(light.aspectRatio, 1.3333334f);
    EXPECT_FLOAT_EQ(light.farPlane, 100.0f);

    const Light lamp(glm::vec3(1, 2, 3), glm::vec3(1.0f, 1.0f, 0.75f), 0.0f, 0.3f);
    expectVec3Near(lamp.position, glm::vec3(1, 2, 3), 0.0f);
    expectVec3Near(lamp.color, glm::vec3(1.0f, 1.0f, 0.75f), 0.0f);
    EXPECT_EQ(lamp.linear, 0.0f);
    EXPECT_EQ(lamp.quadratic, 0.3f);
}

// --- spline ---

namespace {

// The first keys of the tour: P0 = P1 at 0 and 0.01, then two more keys.
LinearSpline tourStart() {
    LinearSpline spline;
    spline.addKey(0.0, glm::vec3(0, -13, 17));
    spline.addKey(0.01, glm::vec3(0, -13, 17));
    spline.addKey(16.01, glm::vec3(0, -13, 1));
    spline.addKey(25.4345, glm::vec3(3, -13, -2));
    spline.addKey(34.859, glm::vec3(6, -13, 1));
    spline.reset();
    return spline;
}

// Cubic Hermite through the basis functions h00, h10, h01, h11.
glm::vec3 hermiteBasis(glm::vec3 p0, glm::vec3 p1, glm::vec3 p2, glm::vec3 p3, float s) {
    const glm::vec3 m1 = (p2 - p0) / 2.0f;
    const glm::vec3 m2 = (p3 - p1) / 2.0f;
    const float h00 = 2 * s * s * s - 3 * s * s + 1;
    const float h10 = s * s * s - 2 * s * s + s;
    const float h01 = -2 * s * s * s + 3 * s * s;
    const float h11 = s * s * s - s * s;
    return h00 * p1 + h10 * m1 + h01 * p2 + h11 * m2;
}

} // namespace

TEST(LinearSpline, CatmullRomSegmentsThroughTheInnerKeys) {
    LinearSpline spline = tourStart();
    expectVec3Near(spline.interpolate(8.01), glm::vec3(-0.1875f, -13.0f, 9.1875f), 1e-5f);
    expectVec3Near(spline.interpolate(16.01), glm::vec3(0, -13, 1), 1e-6f);
    const glm::vec3 p[] = {{0, -13, 17}, {0, -13, 1}, {3, -13, -2}, {6, -13, 1}};
    for (float s : {0.1f, 0.37f, 0.5f, 0.9f}) {
        const double x = 16.01 + s * (25.4345 - 16.01);
        expectVec3Near(spline.interpolate(x), hermiteBasis(p[0], p[1], p[2], p[3], s), 1e-4f);
    }
}

TEST(LinearSpline, HoldsTheSecondAndSecondToLastKeysOutsideTheCurve) {
    LinearSpline spline = tourStart();
    expectVec3Near(spline.interpolate(-5.0), glm::vec3(0, -13, 17), 0.0f);
    expectVec3Near(spline.interpolate(0.0), glm::vec3(0, -13, 17), 0.0f);
    expectVec3Near(spline.interpolate(30.0), glm::vec3(3, -13, -2), 0.0f);
    expectVec3Near(spline.interpolate(500.0), glm::vec3(3, -13, -2), 0.0f);
}

// Going back in time after the window moved must give the same values as a fresh spline.
TEST(LinearSpline, DecreasingTimeRestartsTheWindow) {
    LinearSpline moved = tourStart();
    moved.interpolate(30.0);
    moved.interpolate(500.0);
    for (double x : {20.0, 8.01, 0.005, 12.0, 24.0}) {
        LinearSpline fresh = tourStart();
        expectVec3Near(moved.interpolate(x), fresh.interpolate(x), 0.0f);
    }
}

TEST(LinearSpline, AKeyAddedAfterEvaluationIsHonoured) {
    LinearSpline spline = tourStart();
    spline.interpolate(20.0);
    spline.addKey(20.0, glm::vec3(9, 9, 9));
    expectVec3Near(spline.interpolate(20.0), glm::vec3(9, 9, 9), 0.0f);
}

TEST(LinearSpline, FewerThanFourKeysWarnAndYieldZero) {
    const std::string warning =
        "WARNING: LinearSpline::interpolate requires at least four keys in the map\n";
    LinearSpline empty;
    testing::internal::CaptureStdout();
    const glm::vec3 fromEmpty = empty.interpolate(1.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), warning);
    expectVec3Near(fromEmpty, glm::vec3(0.0f), 0.0f);

    LinearSpline three;
    three.addKey(0.0, glm::vec3(1));
    three.addKey(1.0, glm::vec3(2));
    three.addKey(2.0, glm::vec3(3));
    three.reset();
    testing::internal::CaptureStdout();
    const glm::vec3 first = three.interpolate(0.5);
    const glm::vec3 second = three.interpolate(1.5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), warning + warning);
    expectVec3Near(first, glm::vec3(0.0f), 0.0f);
    expectVec3Near(second, glm::vec3(0.0f), 0.0f);

    // a fourth key makes the curve usable without another reset
    three.addKey(3.0, glm::vec3(4));
    expectVec3Near(three.interpolate(1.5), glm::vec3(2.5f), 1e-5f);
}

// --- the tour ---

TEST(CameraPathAnimation, TourKeysAndHeldEnds) {
    CameraPathAnimation animation;
    EXPECT_EQ(animation.positionSpline->keys.size(), 24u);
    EXPECT_EQ(animation.rotationSpline->keys.size(), 24u);
    EXPECT_NEAR(animation.endTime, 221.59975, 1e-9);
    EXPECT_EQ(animation.endTime, animation.positionSpline->keys.rbegin()->first);
    expectVec3Near(animation.positionSpline->interpolate(0.0), glm::vec3(0, -13, 17), 0.0f);
    expectVec3Near(animation.positionSpline->interpolate(8.01),
                   glm::vec3(-0.1875f, -13.0f, 9.1875f), 1e-5f);
    expectVec3Near(animation.positionSpline->interpolate(16.01), glm::vec3(0, -13, 1), 1e-5f);
    expectVec3Near(animation.positionSpline->interpolate(500.0), glm::vec3(0, 4.5f, -11), 0.0f);
    expectVec3Near(animation.rotationSpline->interpolate(500.0), glm::vec3(45, 900, 0), 0.0f);
}

// At 60 frames per second the tour takes about 110.8 s, moves smoothly, stops exactly once and
// leaves the camera at the last pose, which it no longer overwrites.
TEST(CameraPathAnimation, FlightLastsAboutOneHundredTenSecondsAndStopsOnce) {
    Camera camera;
    CameraPathAnimation animation;
    animation.setCamera(&camera);
    const double dt = 1.0 / 60.0;
    int frames = 0;
    float largestStep = 0.0f;
    glm::vec3 previous = glm::vec3(0, -13, 17);
    testing::internal::CaptureStdout();
    while (animation.running && frames < 100000) {
        animation.update(dt);
        ++frames;
        largestStep = std::max(largestStep, glm::length(camera.getPosition() - previous));
        previous = camera.getPosition();
    }
    const double realSeconds = frames * dt;
    expectVec3Near(camera.getPosition(), glm::vec3(0, 4.5f, -11), 1e-5f);
    expectVec3Near(camera.getRotation(), glm::vec3(45, 540, 0), 1e-4f);
    camera.translate(glm::vec3(1, 0, 0));
    for (int i = 0; i < 100; ++i) {
        animation.update(dt);
    }
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NEAR(realSeconds, 110.8, 0.05);
    EXPECT_EQ(countOccurrences(output, "Animation stopped\n"), 1);
    EXPECT_EQ(output, "Animation stopped\n");
    EXPECT_LT(largestStep, 0.1f) << "the camera jumped between two frames";
    expectVec3Near(camera.getPosition(), glm::vec3(1, 4.5f, -11), 1e-5f);
}

TEST(CameraPathAnimation, HalfSecondFramesStopInTheFrameThatPassesTheLastKey) {
    Camera camera;
    CameraPathAnimation animation;
    animation.setCamera(&camera);
    testing::internal::CaptureStdout();
    for (int frame = 1; frame <= 221; ++frame) {
        animation.update(0.5);
    }
    EXPECT_TRUE(animation.running);
    EXPECT_EQ(animation.time, 221.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    testing::internal::CaptureStdout();
    animation.update(0.5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Animation stopped\n");
    EXPECT_FALSE(animation.running);
    EXPECT_EQ(animation.time, 222.0);
}
