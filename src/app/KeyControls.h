// The run-time switches on the function keys. Every key acts when it is released; each switch
// changes one RenderSettings field and confirms the new state with one console line. One table
// holds every switch's key, wording and setting: the key callback acts on it and the overlay
// lists it. Escape asks the window to close; F12 asks for a screenshot of the next frame.
#pragma once

#include "gpu/GL.h"

#include <string>
#include <vector>

// One switch: its key, the key's name, the console text printed before the new state, and
// either an on/off setting (inverted on release, its state printed as 0 or 1) or a cycle of
// named states (advanced one step, its state printed by name).
struct KeySwitch {
    int key;                // GLFW key code
    const char* keyName;    // "F1" ...
    const char* label;      // "Bloom Enabled: " ...
    bool* setting;          // the on/off setting, or null for a cycle
    void (*advance)();      // a cycle's next step
    const char* (*named)(); // a cycle's current state by name
};

// Every switch in key order: F1 light mode, F2..F7 features, F8 debug view, F9 overlay, F10
// anti-aliasing, F11 full screen.
const std::vector<KeySwitch>& keySwitches();
// The state as the console line ends: "0" / "1" for a setting, the name for a cycle.
std::string switchState(const KeySwitch& keySwitch);

// GLFW key callback, installed on the window once at start-up. Scancode and modifier bits are
// ignored, so Shift+F2 acts like F2. Runs inside glfwPollEvents on the main thread.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
