// CameraTour: the keys of the scripted camera flight, as data. CameraPathAnimation turns them into
// its two splines; the asset tools and checks read them through that class so that they follow
// exactly the flight the program makes.
#pragma once

#include <glm/glm.hpp>

// One tour key: the clock time since the previous key, the camera position (world space) and its
// rotation (pitch, yaw, roll in degrees). Key times are the running sums of the increments.
struct TourKey {
    double increment;
    glm::vec3 position;
    glm::vec3 rotation;
};

// The first and last keys repeat their neighbours 0.01 apart, so the curve starts and ends with
// the tangent of its first and last segment. The yaw is not wrapped: the second half of the
// flight turns through 900 degrees.
inline const TourKey tourKeys[] = {
    {0.0, {0.0f, -13.0f, 17.0f}, {0.0f, 0.0f, 0.0f}},
    {0.01, {0.0f, -13.0f, 17.0f}, {0.0f, 0.0f, 0.0f}},
    {16.0, {0.0f, -13.0f, 1.0f}, {0.0f, 90.0f, 0.0f}},
    {9.4245, {3.0f, -13.0f, -2.0f}, {0.0f, 180.0f, 0.0f}},
    {9.4245, {6.0f, -13.0f, 1.0f}, {0.0f, 270.0f, 0.0f}},
    {15.0, {6.0f, -13.0f, 15.0f}, {0.0f, 180.0f, 0.0f}},
    {6.283, {4.0f, -13.0f, 17.0f}, {0.0f, 270.0f, 0.0f}},
    {8.0, {-4.0f, -13.0f, 17.0f}, {0.0f, 270.0f, 0.0f}},
    {6.283, {-6.0f, -13.0f, 15.0f}, {0.0f, 360.0f, 0.0f}},
    {14.0, {-6.0f, -13.0f, 1.0f}, {0.0f, 90.0f, 0.0f}},
    {9.4245, {-3.0f, -13.0f, -2.0f}, {0.0f, 90.0f, 0.0f}},
    {9.4245, {0.0f, -12.0f, -5.0f}, {0.0f, 0.0f, 0.0f}},
    {12.5, {-3.0f, -5.5f, -15.0f}, {45.0f, 90.0f, 0.0f}},
    {9.4245, {0.0f, -5.5f, -18.0f}, {45.0f, 180.0f, 0.0f}},
    {9.4245, {3.0f, -5.5f, -15.0f}, {45.0f, 270.0f, 0.0f}},
    {10.0, {3.0f, -5.5f, -8.0f}, {22.5f, 270.0f, 0.0f}},
    {10.99525, {0.0f, -4.0f, -5.0f}, {0.0f, 360.0f, 0.0f}},
    {10.99525, {-3.0f, -2.5f, -8.0f}, {-30.0f, 450.0f, 0.0f}},
    {10.99525, {0.0f, -1.0f, -11.0f}, {-60.0f, 540.0f, 0.0f}},
    {10.99525, {3.0f, 0.5f, -8.0f}, {-60.0f, 630.0f, 0.0f}},
    {10.99525, {0.0f, 2.0f, -5.0f}, {-30.0f, 720.0f, 0.0f}},
    {10.99525, {-3.0f, 3.5f, -8.0f}, {0.0f, 810.0f, 0.0f}},
    {10.99525, {0.0f, 4.5f, -11.0f}, {45.0f, 900.0f, 0.0f}},
    {0.01, {0.0f, 4.5f, -11.0f}, {45.0f, 900.0f, 0.0f}},
};
