// CameraPath: the keys of the camera tour and its curve (Catmull-Rom tangents, Hermite segments
// over a four-key window), evaluated without state so checks and previews can sample it freely.
#pragma once

#include <glm/glm.hpp>

#include <cmath>
#include <vector>

namespace camerapath {

struct Key {
    double time;
    glm::vec3 position;
    glm::vec3 rotation; // pitch, yaw, roll in degrees
};

inline std::vector<Key> keys() {
    struct Row {
        double increment;
        glm::vec3 p, r;
    };
    const Row rows[] = {
        {0.0, {0, -13, 17}, {0, 0, 0}},          {0.01, {0, -13, 17}, {0, 0, 0}},
        {16.0, {0, -13, 1}, {0, 90, 0}},         {9.4245, {3, -13, -2}, {0, 180, 0}},
        {9.4245, {6, -13, 1}, {0, 270, 0}},      {15.0, {6, -13, 15}, {0, 180, 0}},
        {6.283, {4, -13, 17}, {0, 270, 0}},      {8.0, {-4, -13, 17}, {0, 270, 0}},
        {6.283, {-6, -13, 15}, {0, 360, 0}},     {14.0, {-6, -13, 1}, {0, 90, 0}},
        {9.4245, {-3, -13, -2}, {0, 90, 0}},     {9.4245, {0, -12, -5}, {0, 0, 0}},
        {12.5, {-3, -5.5, -15}, {45, 90, 0}},    {9.4245, {0, -5.5, -18}, {45, 180, 0}},
        {9.4245, {3, -5.5, -15}, {45, 270, 0}},  {10.0, {3, -5.5, -8}, {22.5, 270, 0}},
        {10.99525, {0, -4, -5}, {0, 360, 0}},    {10.99525, {-3, -2.5, -8}, {-30, 450, 0}},
        {10.99525, {0, -1, -11}, {-60, 540, 0}}, {10.99525, {3, 0.5, -8}, {-60, 630, 0}},
        {10.99525, {0, 2, -5}, {-30, 720, 0}},   {10.99525, {-3, 3.5, -8}, {0, 810, 0}},
        {10.99525, {0, 4.5, -11}, {45, 900, 0}}, {0.01, {0, 4.5, -11}, {45, 900, 0}},
    };
    std::vector<Key> out;
    double t = 0.0;
    for (const Row& r : rows) {
        t += r.increment;
        out.push_back({t, r.p, r.r});
    }
    return out;
}

// Value of the curve through `values` at clock x: held at the second key before it and at the
// second-to-last key after it.
inline glm::vec3 evaluate(const std::vector<Key>& k, bool rotation, double x) {
    auto value = [&](size_t i) { return rotation ? k[i].rotation : k[i].position; };
    size_t w = 0;
    if (x < k[1].time) {
        return value(1);
    }
    while (w + 3 < k.size() && x > k[w + 2].time) {
        ++w;
    }
    if (w + 3 >= k.size()) {
        return value(w + 1);
    }
    glm::vec3 p0 = value(w), p1 = value(w + 1), p2 = value(w + 2), p3 = value(w + 3);
    glm::vec3 m1 = (p2 - p0) * 0.5f, m2 = (p3 - p1) * 0.5f;
    float s = float((x - k[w + 1].time) / (k[w + 2].time - k[w + 1].time));
    glm::vec3 a = 2.0f * p1 - 2.0f * p2 + m1 + m2;
    glm::vec3 b = 3.0f * p2 - 3.0f * p1 - 2.0f * m1 - m2;
    return p1 + m1 * s + b * std::pow(s, 2.0f) + a * std::pow(s, 3.0f);
}

// Positions along the whole tour, every `step` of the clock.
inline std::vector<glm::vec3> samplePositions(double step) {
    std::vector<Key> k = keys();
    std::vector<glm::vec3> out;
    for (double x = 0.0; x <= k.back().time; x += step) {
        out.push_back(evaluate(k, false, x));
    }
    return out;
}

} // namespace camerapath
