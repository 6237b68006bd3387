// Frustum: the six planes of a camera's view-projection, for deciding on the CPU what the frame
// can see. The shadow pass uses it to skip the cube faces that no pixel in view reads.
#pragma once

#include <glm/glm.hpp>

#include <array>

class Frustum {
public:
    // The planes of viewProjection's clip volume (left, right, bottom, top, near, far), each
    // normalised so that dot(normal, p) + w is the signed world distance, positive inside.
    explicit Frustum(const glm::mat4& viewProjection);

    // Whether any part of the convex hull of the points can lie within `margin` of the inside:
    // false only when all of them lie farther than margin outside one plane (so a hull near a
    // corner may pass without touching).
    bool touchesHull(const glm::vec3* points, int count, float margin) const;

private:
    std::array<glm::vec4, 6> planes;
};
