// cathedral-bench: renders the camera tour (or part of it) with a hidden window and prints where
// the frame's time goes, per pass, as a markdown table, optionally as JSON and CSV and with
// captures; or compares two JSON reports without rendering.
#include "BenchCompare.h"
#include "BenchEnvironment.h"
#include "BenchOptions.h"
#include "BenchReport.h"
#include "BenchRun.h"

#include "app/WorkingDirectory.h"
#include "base/Console.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

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

// The reports the command line asked for; false (and a line) when one cannot be written.
bool writeReports(const BenchOptions& options, const BenchEnvironment& environment,
                  const std::vector<RunResult>& runs, std::optional<size_t> baseline) {
    bool written = true;
    if (!options.jsonPath.empty() &&
        !writeTextFile(options.jsonPath, formatJsonReport(environment, runs, baseline))) {
        printLine("cathedral-bench: cannot write " + options.jsonPath);
        written = false;
    }
    if (!options.csvPath.empty() && !writeTextFile(options.csvPath, formatCsvReport(runs))) {
        printLine("cathedral-bench: cannot write " + options.csvPath);
        written = false;
    }
    return written;
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
        return 2;
    }
    const BenchOptions& options = parsed.options;
    if (options.help) {
        std::fputs(benchUsage().c_str(), stdout);
        return 0;
    }
    if (options.compare) {
        return compareReports(*options.compare);
    }
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
    if (!prepareCaptureDirectory(resolved)) {
        return 1;
    }
    WorkingDirectory::useExecutableDirectoryIfNeeded();

    printLine(formatEnvironment(environment));
    std::vector<RunResult> runs;
    std::optional<size_t> baseline;
    if (resolved.sweep) {
        runs = runSweep(resolved);
        const WindowSize& first = resolved.sweepSizes.front();
        baseline = findBaseline(runs, first.width, first.height).value_or(0);
        printLine(formatSweepTable(runs, *baseline));
    } else {
        runs.push_back(runBenchmark(resolved, resolved.size, resolved.updateShadowMaps));
        if (runs.front().ok) {
            printLine(formatRunTable(runs.front()));
        }
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
