// cathedral-bench: renders the camera tour (or part of it) with a hidden window, or headless
// through EGL, and prints where the frame's time goes, per pass, as a markdown table, optionally
// as JSON and CSV and with captures; or compares two JSON reports without rendering. Standard
// output holds the report alone; the program's own console lines (loader, shader and GL
// messages) and the tool's warnings go to standard error, beside the progress bar.
#include "BenchCompare.h"
#include "BenchEnvironment.h"
#include "BenchOptions.h"
#include "BenchReport.h"
#include "BenchRun.h"
#include "DisplayConnection.h"

#include "app/WorkingDirectory.h"
#include "base/Console.h"
#include "gpu/GL.h"
#include "scene/CameraPathAnimation.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

// A line of the report, on standard output.
void reportLine(const std::string& text) {
    std::cout << text << std::endl;
}

std::string countOf(size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

size_t frameCount(const std::vector<RunResult>& runs) {
    size_t frames = 0;
    for (const RunResult& run : runs) {
        frames += run.frameRecords.size();
    }
    return frames;
}

bool writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    return static_cast<bool>(file);
}

bool prepareCaptureDirectory(const BenchOptions& options) {
    if (options.captureTimes.empty()) {
        return true;
    }
    std::error_code error;
    std::filesystem::create_directories(options.captureDirectory, error);
    if (error || !std::filesystem::is_directory(options.captureDirectory)) {
        printLine("cathedral-bench: cannot create the capture directory " +
                  options.captureDirectory);
        return false;
    }
    return true;
}

// Every size with the cube maps updated every frame, then every size with them static.
std::vector<RunResult> runSweep(const BenchOptions& options) {
    std::vector<RunResult> runs;
    for (bool update : {true, false}) {
        for (const WindowSize& size : options.sweepSizes) {
            runs.push_back(runBenchmarkInChild(options, size, update));
        }
    }
    return runs;
}

int compareReports(const std::pair<std::string, std::string>& files) {
    std::string output;
    std::string error;
    int exitCode = runCompare(files.first, files.second, output, error);
    if (exitCode != 0) {
        std::fprintf(stderr, "cathedral-bench: %s\n", error.c_str());
    } else {
        std::fputs(output.c_str(), stdout);
    }
    return exitCode;
}

// Writes one report file and says so in the report; false (and a line) when it cannot.
bool writeReport(const std::string& path, const std::string& text, const std::string& what) {
    if (!writeTextFile(path, text)) {
        printLine("cathedral-bench: cannot write " + path);
        return false;
    }
    reportLine("Wrote " + path + " (" + what + ")");
    return true;
}

// The reports the command line asked for; false when one cannot be written.
bool writeReports(const BenchOptions& options, const BenchEnvironment& environment,
                  const std::vector<RunResult>& runs, std::optional<size_t> baseline) {
    bool written = true;
    std::string frames = countOf(frameCount(runs), "frame");
    if (!options.jsonPath.empty()) {
        written = writeReport(options.jsonPath, formatJsonReport(environment, runs, baseline),
                              "JSON report: " + countOf(runs.size(), "run") + ", " + frames +
                                  " with their samples") &&
                  written;
    }
    if (!options.csvPath.empty()) {
        written = writeReport(options.csvPath, formatCsvReport(runs),
                              "CSV: one row per frame, " + frames) &&
                  written;
    }
    return written;
}

void reportCaptures(const RunResult& run) {
    for (const std::string& path : run.capturedFiles) {
        reportLine("Captured " + path);
    }
}

bool allOk(const std::vector<RunResult>& runs) {
    for (const RunResult& run : runs) {
        if (!run.ok) {
            return false;
        }
    }
    return !runs.empty();
}

} // namespace

int main(int argc, char** argv) {
    ParseResult parsed = parseBenchOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok) {
        std::fprintf(stderr, "cathedral-bench: %s\n", parsed.error.c_str());
        return parsed.exitCode;
    }
    const BenchOptions& options = parsed.options;
    if (options.help) {
        std::fputs(benchUsage().c_str(), stdout);
        return 0;
    }
    if (options.compare) {
        return compareReports(*options.compare);
    }
    std::string outsideTour = checkTourRange(options, CameraPathAnimation().tourLength());
    if (!outsideTour.empty()) {
        std::fprintf(stderr, "cathedral-bench: %s\n", outsideTour.c_str());
        return 2;
    }
    setConsoleStream(std::cerr);
    BenchEnvironment environment = describeEnvironment(std::vector<std::string>(argv, argv + argc));
    // Paths given on the command line are meant relative to where the tool was started.
    BenchOptions resolved = options;
    if (!resolved.jsonPath.empty()) {
        resolved.jsonPath = std::filesystem::absolute(resolved.jsonPath).string();
    }
    if (!resolved.csvPath.empty()) {
        resolved.csvPath = std::filesystem::absolute(resolved.csvPath).string();
    }
    resolved.captureDirectory = std::filesystem::absolute(resolved.captureDirectory).string();
    resolved.headless = resolved.headless || !holdDisplayConnection();
    if (!prepareCaptureDirectory(resolved)) {
        return 1;
    }
    WorkingDirectory::useExecutableDirectoryIfNeeded();

    reportLine(formatEnvironment(environment));
    std::vector<RunResult> runs;
    std::optional<size_t> baseline;
    if (resolved.sweep) {
        runs = runSweep(resolved);
        const WindowSize& first = resolved.sweepSizes.front();
        baseline = findBaseline(runs, first.width, first.height).value_or(0);
        reportLine(formatSweepTable(runs, *baseline));
    } else {
        runs.push_back(runBenchmark(resolved, resolved.size, resolved.updateShadowMaps));
        if (runs.front().ok) {
            reportLine(formatRunTable(runs.front()));
        }
        reportCaptures(runs.front());
    }
    if (!writeReports(resolved, environment, runs, baseline)) {
        return 1;
    }
    bool capturesComplete =
        resolved.sweep || runs.front().captures == static_cast<int>(resolved.captureTimes.size());
    if (!capturesComplete) {
        printLine("cathedral-bench: not every requested capture was written");
    }
    return allOk(runs) && capturesComplete ? 0 : 1;
}
