// The run-time switches on the function keys, one table with a row per switch: its key, its
// console text, the RenderSettings member it changes and the name the benchmark gives it. The key
// callback acts on the table, the overlay lists it, cathedral-bench makes its options, its run
// and its report from it, and the tests iterate it. A switch's start value is its member's
// initialiser in RenderSettings.h. Every key acts when it is released; each switch advances its
// setting one step and confirms the new state with one console line. Escape asks the window to
// close; F12 asks for a screenshot of the next frame; R asks for the shader programs to be rebuilt
// from their files before the next frame.
#pragma once

#include "gpu/GL.h"

#include <string>
#include <type_traits>
#include <vector>

// How a switch reaches its RenderSettings member: read and write it as a state number from 0 to
// states - 1. An on/off setting has the states 0 and 1.
struct SwitchSetting {
    int (*get)();
    void (*set)(int state);
    int states;
};

// The on/off setting `setting`.
template <bool* setting> constexpr SwitchSetting onOff() {
    return {[] { return *setting ? 1 : 0; }, [](int state) { *setting = state != 0; }, 2};
}

// The setting `setting` of an enumeration whose first `count` values form a cycle.
template <auto* setting, int count> constexpr SwitchSetting cycle() {
    using Value = std::remove_reference_t<decltype(*setting)>;
    return {[] { return static_cast<int>(*setting); },
            [](int state) { *setting = static_cast<Value>(state); }, count};
}

struct KeySwitch {
    int key;             // GLFW key code
    const char* keyName; // "F1" ...
    const char* label;   // "Bloom Enabled: " ..., printed before the new state
    SwitchSetting setting;
    // A cycle's states by name, as the console line ends; null: the line ends in the state number
    // (0 or 1 for on/off).
    const char* (*stateName)(int state);
    // The benchmark's name for it: option --<name>, the report's key (words joined in camel
    // case: "light-mode" -> "lightMode") and table text ("light mode"); null: not a benchmark
    // switch.
    const char* benchName;

    // Whether the setting is on/off (0 or 1 on the bench's command line, a boolean in reports)
    // rather than a cycle of numbered states.
    bool isOnOff() const { return setting.states == 2 && stateName == nullptr; }
};

// Every switch in key order: F1 light mode, F2..F7 features, F8 debug view, F9 overlay, F10
// anti-aliasing, F11 full screen.
const std::vector<KeySwitch>& keySwitches();
// The state as the console line ends: "0" / "1" for a setting, the name for a cycle.
std::string switchState(const KeySwitch& keySwitch);

// GLFW key callback, installed on the window once at start-up. Scancode and modifier bits are
// ignored, so Shift+F2 acts like F2. Runs inside glfwPollEvents on the main thread.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
