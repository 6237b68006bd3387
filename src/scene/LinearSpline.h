// LinearSpline: keys from time to vec3, evaluated as Catmull-Rom Hermite segments over a window
// of four consecutive keys that slides forward with growing time, so a clock that only grows
// costs constant time per evaluation. Before the second key and after the second-to-last key
// the curve holds those keys' values.
#pragma once

#include <glm/glm.hpp>

#include <map>

class LinearSpline {
public:
    using KeyMap = std::map<double, glm::vec3>;

    KeyMap keys;
    // window over keys: the curve runs from k1 to k2, k0 and k3 shape the tangents;
    // k3 may be keys.end()
    KeyMap::iterator k0, k1, k2, k3;

    LinearSpline() = default;
    // A copy gets its own window over its own keys (placed on first use), never iterators
    // into the original's map.
    LinearSpline(const LinearSpline& other);
    LinearSpline& operator=(const LinearSpline& other);

    // Sets keys[time] = value (overwrites a key at the same time). Does not move the window.
    void addKey(double time, glm::vec3 value);
    // Puts the window on the first four keys.
    void reset();
    // Curve value at x; prints a warning and returns (0,0,0) with fewer than four keys.
    glm::vec3 interpolate(double x);

private:
    // true once reset() has positioned the window on the current key set
    bool windowPlaced = false;
    void slideTo(double x);
    glm::vec3 hermite(double x) const;
};
