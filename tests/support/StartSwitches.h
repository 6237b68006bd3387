// The render switches as the program starts, read before any test changes them, and a way to put
// them back; tests that flip switches restore them with it instead of repeating the start values.
#pragma once

// Sets every switch of the key table, the screenshot request and the cube-map updating option
// back to their values at process start.
void restoreStartSwitches();
