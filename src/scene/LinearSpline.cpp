// LinearSpline: Catmull-Rom Hermite evaluation over a sliding window of four keys. The window
// only moves forward with growing time and restarts from the first keys when time goes back.
#include "scene/LinearSpline.h"

#include "base/Console.h"

#include <cmath>
#include <iterator>

namespace {

// The successor of it, or end when it is already end.
LinearSpline::KeyMap::iterator nextOrEnd(LinearSpline::KeyMap::iterator it,
                                         LinearSpline::KeyMap& keys) {
    return it == keys.end() ? it : std::next(it);
}

} // namespace

LinearSpline::LinearSpline(const LinearSpline& other) : keys(other.keys) {}

LinearSpline& LinearSpline::operator=(const LinearSpline& other) {
    keys = other.keys;
    windowPlaced = false;
    return *this;
}

// A new key invalidates the window (it may fall between two window keys); the next
// interpolate repositions it from the first keys.
void LinearSpline::addKey(double time, glm::vec3 value) {
    keys[time] = value;
    windowPlaced = false;
}

void LinearSpline::reset() {
    k0 = keys.begin();
    k1 = nextOrEnd(k0, keys);
    k2 = nextOrEnd(k1, keys);
    k3 = nextOrEnd(k2, keys);
    windowPlaced = true;
}

glm::vec3 LinearSpline::interpolate(double x) {
    if (keys.size() < 4) {
        printLine("WARNING: LinearSpline::interpolate requires at least four keys in the map");
        return glm::vec3(0.0f);
    }
    if (!windowPlaced || x < k1->first) {
        reset();
        if (x < k1->first) {
            return k1->second;
        }
    }
    slideTo(x);
    if (k3 == keys.end()) {
        return k1->second;
    }
    return hermite(x);
}

// Moves the window forward until x lies in [time(k1), time(k2)] or the window reaches the end.
void LinearSpline::slideTo(double x) {
    while (k3 != keys.end() && x > k2->first) {
        ++k0;
        ++k1;
        ++k2;
        ++k3;
    }
}

// Cubic Hermite from k1 to k2 with Catmull-Rom tangents (not scaled by the segment length).
glm::vec3 LinearSpline::hermite(double x) const {
    const glm::vec3& p0 = k0->second;
    const glm::vec3& p1 = k1->second;
    const glm::vec3& p2 = k2->second;
    const glm::vec3& p3 = k3->second;
    const glm::vec3 m1 = (p2 - p0) * 0.5f;
    const glm::vec3 m2 = (p3 - p1) * 0.5f;
    const float s = static_cast<float>((x - k1->first) / (k2->first - k1->first));
    const glm::vec3 a = 2.0f * p1 - 2.0f * p2 + m1 + m2;
    const glm::vec3 b = 3.0f * p2 - 3.0f * p1 - 2.0f * m1 - m2;
    return p1 + m1 * s + b * std::pow(s, 2.0f) + a * std::pow(s, 3.0f);
}
