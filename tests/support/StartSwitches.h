// The render switches as the program starts, read before any test changes them, and a way to put
// them back; tests that flip switches restore them with it instead of repeating the start values.
#pragma once

// Sets every key switch of RenderSettings (F1 to F12, and the cube-map updating option) back to
// its value at process start.
void restoreStartSwitches();
