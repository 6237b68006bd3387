// The results of one benchmark run (settings, start-up times, per-pass and whole-frame
// statistics) and their two presentations: a markdown table for the console (and the README)
// and a JSON document. A sweep presents several runs side by side with ratios to a baseline.
#pragma once

#include "Statistics.h"
#include "render/PassTimer.h"

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// The effective state a run rendered with, after the command line was applied.
struct RunSettings {
    int width = 1024;
    int height = 768;
    bool bump = true;
    bool bloom = true;
    bool ssao = true;
    bool transparent = true;
    bool omni = true;
    bool colored = false;
    int lightMode = 0;
    bool updateShadowMaps = true;
    double timeStep = 0.5;
    int repeats = 1;
    double from = 0.0; // tour time of the first and last measured frames
    double to = 0.0;
};

// Milliseconds of wall-clock time per start-up step.
struct StartupTimes {
    double window = 0.0; // window, context, GLEW, debug output, initial GL state
    double shaders = 0.0;
    double scene = 0.0;
    double renderer = 0.0; // constructor and init (render targets, effects, cube maps)
    double total() const { return window + shaders + scene + renderer; }
};

// The per-frame measurements of a run, in milliseconds.
struct RunSamples {
    std::vector<double> pass[kFramePassCount]; // GPU time, only frames in which the pass ran
    std::vector<double> gpuFrame;              // GPU timestamps around the whole frame
    std::vector<double> wallFrame;             // frame start to after the swap, captures excluded
    std::vector<double> cpuFrame;              // main-thread CPU time of the frame's steps
    std::vector<double> processCpuFrame;       // CPU time of all threads (the driver's too)
};

// The measurements of one frame, in milliseconds.
struct FrameRecord {
    double passMs[kFramePassCount] = {};
    bool passRan[kFramePassCount] = {};
    double gpuMs = 0.0;
    bool gpuKnown = false; // the timer's results for this frame arrived
    double wallMs = 0.0;
    double cpuMs = 0.0;
    double processCpuMs = 0.0;
};

// Frame by frame, the smallest value of each measurement over several repeats of the same
// frames. With a fixed time step every repeat renders identical work, so the minimum is the
// value least disturbed by other processes sharing the cores. Repeats of different lengths are
// cut to the shortest; a pass counts for a frame if it ran there in any repeat.
std::vector<FrameRecord> fastestOfRepeats(const std::vector<std::vector<FrameRecord>>& repeats);

// The per-frame records as sample lists (a pass only where it ran, the GPU frame time only
// where it is known).
RunSamples samplesOf(const std::vector<FrameRecord>& frames);

// Plain data, so a run made in a child process can be handed back as bytes.
struct RunResult {
    bool ok = false;
    RunSettings settings;
    StartupTimes startup;
    int frames = 0;   // measured frames
    int captures = 0; // PNG files written
    Summary passes[kFramePassCount];
    Summary gpuFrame;
    Summary wallFrame;
    Summary cpuFrame;
    Summary processCpuFrame;

    // Frames per second from the median wall-clock frame time; 0 without frames.
    double fps() const;
    // Median CPU time as a fraction of the median wall-clock frame time.
    double cpuShare() const;
};
static_assert(std::is_trivially_copyable_v<RunResult>, "RunResult travels between processes");

void summarizeSamples(const RunSamples& samples, RunResult& result);

// "1024x768", with " static" appended when the cube maps were not updated every frame.
std::string runLabel(const RunResult& result);

// Markdown table of one run: per pass and for the frame, median and 90th percentile.
std::string formatRunTable(const RunResult& result);
// Markdown table of several runs, one column each, median per row with the ratio to the
// baseline run's median.
std::string formatSweepTable(const std::vector<RunResult>& runs, size_t baseline);

// The JSON report: {"tool", "runs": [...], "baseline"}; "baseline" (index into "runs") and each
// run's "ratioToBaseline" only when a baseline is given.
std::string formatJsonReport(const std::vector<RunResult>& runs, std::optional<size_t> baseline);

// Index of the run at `size` with cube maps updated every frame, if any.
std::optional<size_t> findBaseline(const std::vector<RunResult>& runs, int width, int height);
