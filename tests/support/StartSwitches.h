// The render switches as the program starts, read before any test changes them, and a way to put
// them back; tests that flip switches restore them with it instead of repeating the start values.
#pragma once

#include "app/KeyControls.h"

#include <vector>

// Sets every switch of the key table, the screenshot and shader-reload requests and the cube-map
// updating option back to their values at process start.
void restoreStartSwitches();

// Every key switch's state now, in table order.
std::vector<int> switchStates();

// The switches that change the frame, in table order: every one the benchmark sets (light mode and
// the on/off effects), not the debug view, the overlay or full screen.
std::vector<const KeySwitch*> frameSwitches();
