// Command line of cathedral-bench: window size, which part of the tour to render and with what
// time step, the switch states (the function keys' switches, from their table), the cube-map update
// setting, frame captures, the JSON and CSV reports, the size sweep, and the comparison of two
// reports. Parsing is pure: no GL, no files.
#pragma once

#include "base/DebugView.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct WindowSize {
    int width = 1024;
    int height = 768;
};

bool operator==(const WindowSize& a, const WindowSize& b);

// Switch states to impose on the run, by the switches' bench names (KeyControls.h: "bump",
// "light-mode", ...); a switch not named keeps the program's initial value.
using SwitchStates = std::map<std::string, int>;

// Every bench switch's state in RenderSettings now.
SwitchStates currentSwitchStates();

struct BenchOptions {
    WindowSize size;
    double timeStep = 0.5;     // tour seconds between frames: the fixed dt of every frame
    double from = 0.0;         // tour time of the first measured frame
    std::optional<double> to;  // last tour time rendered; unset: the end of the tour
    std::optional<int> frames; // number of measured frames instead of a range end
    int warmupFrames = 1;      // frames rendered at `from` before measuring, not reported
    int repeats = 1; // the frames are rendered this often; each frame reports its fastest repeat
    SwitchStates switches;
    // --set NAME=VALUE: tunables (Tunables.h) to apply, by name; a tunable not named keeps its
    // start value.
    std::map<std::string, float> tunables;
    bool updateShadowMaps = true;     // false: cube maps rendered on the first frame only
    std::vector<double> captureTimes; // tour times to save as PNG, ascending, no duplicates
    std::string captureDirectory = ".";
    DebugView view = DebugView::FinalImage; // what the frames show (F8's views)
    std::string jsonPath;                   // empty: no JSON file
    std::string csvPath;                    // empty: no CSV file
    bool sweep = false;
    std::vector<WindowSize> sweepSizes = {{1280, 720}, {1920, 1080}, {2560, 1440}};
    // --compare BASE NEW: comma-separated report lists; set, nothing is rendered
    std::optional<std::pair<std::string, std::string>> compare;
    bool progress = true;
    bool gpuTimer = true;  // false: no timer queries at all, to check what measuring costs
    bool headless = false; // an EGL context without a window instead of a hidden GLX window
    bool glGroups = false; // every pass in a GL debug group, for frame debuggers
    bool help = false;
};

struct ParseResult {
    bool ok = false;
    std::string error; // one line naming the offending option when !ok
    int exitCode = 2;  // the exit code for the error: 1 for a tunable --set does not know
    BenchOptions options;
};

// Parses the arguments after the program name. Options take their value as the next argument
// or after '=' ("--size 640x480", "--size=640x480").
ParseResult parseBenchOptions(const std::vector<std::string>& arguments);

// Why the options render no frame of a tour `tourLength` seconds long (--from past its end), or
// "" when they render at least one. Kept apart from parsing, which knows nothing of the tour.
std::string checkTourRange(const BenchOptions& options, double tourLength);

// The --help text.
std::string benchUsage();

// "640x480" -> {640, 480}; sizes from 1 to 16384 per side.
std::optional<WindowSize> parseWindowSize(const std::string& text);
