// The results of one benchmark run (settings, GL context, start-up times, every frame's samples
// and their per-pass and whole-frame statistics) and their presentations: a markdown table for
// the console (and the README), a CSV of the frames, and a JSON document that also reads back,
// for --compare and for runs made in a child process. A sweep presents several runs side by side
// with ratios to a baseline.
#pragma once

#include "BenchEnvironment.h"
#include "Statistics.h"
#include "base/DebugView.h"
#include "render/PassTimer.h"

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

// The effective state a run rendered with, after the command line was applied.
struct RunSettings {
    int width = 1024;
    int height = 768;
    // Each bench switch's state by its bench name (KeyControls.h); a switch missing here was
    // not in the build that wrote the report (an earlier build had no anti-aliasing pass).
    std::map<std::string, int> switches;
    bool updateShadowMaps = true;
    double timeStep = 0.5;
    int repeats = 1;
    double from = 0.0; // tour time of the first and last measured frames
    double to = 0.0;
    DebugView view = DebugView::FinalImage; // what the frames showed
    // Every tunable's value by name (Tunables.h); one missing here was not in the build that
    // wrote the report and rendered as it started.
    std::map<std::string, float> tunables;
};

// Whether two runs rendered the same size and view with the same switch states, tunable values
// and cube-map updating. A switch that one run's build did not have matches either state, so a
// build from before a switch (the anti-aliasing pass, say) can be compared with one that has it.
bool sameConfiguration(const RunSettings& a, const RunSettings& b);

// Milliseconds of wall-clock time per start-up step.
struct StartupTimes {
    double window = 0.0; // window, context, GLEW, debug output, initial GL state
    double shaders = 0.0;
    double scene = 0.0;
    double renderer = 0.0; // constructor and init (render targets, effects, cube maps)
    double total() const { return window + shaders + scene + renderer; }
};

// The per-frame measurements of a run as sample lists, in milliseconds.
struct RunSamples {
    std::vector<double> pass[kFramePassCount]; // GPU time, only frames in which the pass ran
    std::vector<double> gpuFrame;              // GPU timestamps around the whole frame
    std::vector<double> wallFrame;             // frame start to after the swap, captures excluded
    std::vector<double> cpuFrame;              // main-thread CPU time of the frame's steps
    std::vector<double> processCpuFrame;       // CPU time of all threads (the driver's too)
};

// The measurements of one frame, in milliseconds.
struct FrameRecord {
    double tourTime = 0.0; // seconds of the tour this frame showed
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

struct RunResult {
    bool ok = false;
    RunSettings settings;
    GlContextInfo context;
    StartupTimes startup;
    int frames = 0;                         // measured frames
    int captures = 0;                       // PNG files written
    std::vector<std::string> capturedFiles; // their paths in tour order (not in the JSON)
    Summary passes[kFramePassCount];
    Summary gpuFrame;
    Summary wallFrame;
    Summary cpuFrame;
    Summary processCpuFrame;
    std::vector<FrameRecord> frameRecords; // the measured frames, in tour order

    // Frames per second from the median wall-clock frame time; 0 without frames.
    double fps() const;
    // Median CPU time as a fraction of the median wall-clock frame time.
    double cpuShare() const;
};

// Stores the frames and sets the frame count and every summary from them.
void setFrameRecords(RunResult& run, std::vector<FrameRecord> frames);

// "1024x768", with " static" appended when the cube maps were not updated every frame.
std::string runLabel(const RunResult& result);

// Names of the table's rows in order: the passes, then the frame and CPU rows.
std::vector<std::string> tableRowLabels();
// The samples of a table row (index into tableRowLabels()) in one frame; false where the frame
// has none (the pass did not run, the GPU time did not arrive).
bool rowSample(const FrameRecord& frame, size_t row, double& ms);

// Markdown table of one run: per pass and for the frame, median, upper percentiles, maximum
// and standard deviation, under a line on the GL context.
std::string formatRunTable(const RunResult& result);
// Markdown table of several runs, one column each, median per row with the ratio to the
// baseline run's median.
std::string formatSweepTable(const std::vector<RunResult>& runs, size_t baseline);

// One CSV row per measured frame of every run: size, cube-map updating, frame index, tour time,
// each pass's GPU time (empty where it did not run), frame GPU, wall and CPU times.
std::string formatCsvReport(const std::vector<RunResult>& runs);

// The JSON report: {"tool", "environment", "runs": [...], "baseline"}; "baseline" (index into
// "runs") and each run's "ratioToBaseline" only when a baseline is given. Every run carries its
// frames under "samples".
std::string formatJsonReport(const BenchEnvironment& environment,
                             const std::vector<RunResult>& runs, std::optional<size_t> baseline);

// One run as the report holds it, and back; reading recomputes the summaries from the samples.
nlohmann::ordered_json runToJson(const RunResult& run, const RunResult* baseline);
// Fails with a reason in `error` when a member is missing, of the wrong kind or out of range.
std::optional<RunResult> runFromJson(const nlohmann::json& json, std::string& error);

struct ReportFile {
    BenchEnvironment environment;
    std::vector<RunResult> runs;
};

// Reads a JSON report back; fails with a reason when the text is not one.
std::optional<ReportFile> parseJsonReport(const std::string& text, std::string& error);

// Index of the run at `size` with cube maps updated every frame, if any.
std::optional<size_t> findBaseline(const std::vector<RunResult>& runs, int width, int height);
