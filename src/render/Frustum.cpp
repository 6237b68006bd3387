// Frustum: planes from the rows of the view-projection matrix (clip w +- x, y, z).
#include "render/Frustum.h"

Frustum::Frustum(const glm::mat4& viewProjection) {
    glm::vec4 rows[4];
    for (int r = 0; r < 4; ++r) {
        rows[r] = glm::vec4(viewProjection[0][r], viewProjection[1][r], viewProjection[2][r],
                            viewProjection[3][r]);
    }
    for (int axis = 0; axis < 3; ++axis) {
        planes[size_t(2 * axis)] = rows[3] + rows[axis];
        planes[size_t(2 * axis + 1)] = rows[3] - rows[axis];
    }
    for (glm::vec4& plane : planes) {
        plane /= glm::length(glm::vec3(plane));
    }
}

bool Frustum::touchesHull(const glm::vec3* points, int count, float margin) const {
    for (const glm::vec4& plane : planes) {
        bool allOutside = true;
        for (int i = 0; i < count && allOutside; ++i) {
            allOutside = glm::dot(glm::vec3(plane), points[i]) + plane.w < -margin;
        }
        if (allOutside) {
            return false;
        }
    }
    return true;
}
