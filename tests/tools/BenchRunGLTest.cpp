// cathedral-bench run as a user runs it, on the real pipeline at a small size: the report states
// where it ran and names every pass with a sample per frame, a sweep's child runs hand their
// samples back, the switches reach the renderer, the capture is a PNG of the window's size, no
// GL error is printed, and a bad command line fails before rendering. A tunable set to its start
// value captures the frame a run without it captures; another value changes the frame, and the
// report records it. Without a display the tool
// renders headless through EGL, frame for frame what the window renders, and says so; an EGL
// that cannot give it a context fails the run with one line.
#include "GLTestContext.h"
#include "ProcessRunner.h"
#include "ScratchDirectory.h"

#include "render/PassTimer.h"

#include <FreeImage.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class BenchRunGLTest : public ::testing::Test {
protected:
    // `program` with `arguments`, run in the runtime directory.
    ProcessResult runIn(const std::string& program, std::vector<std::string> arguments,
                        std::vector<std::string> environment = {}) {
        ProcessOptions options;
        options.workingDirectory = CATHEDRAL_RUNTIME_DIR;
        options.timeoutSeconds = 600.0;
        options.environment = std::move(environment);
        return ProcessRunner::run(program, arguments, options);
    }

    ProcessResult runBench(std::vector<std::string> arguments,
                           std::vector<std::string> environment = {}) {
        return runIn(CATHEDRAL_BENCH_EXECUTABLE, std::move(arguments), std::move(environment));
    }

    // The run with its standard output in `stdoutFile`; the result's output is standard error.
    ProcessResult runBenchInto(const fs::path& stdoutFile, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"-c", "exec \"$0\" \"$@\" > '" + stdoutFile.string() + "'",
                          CATHEDRAL_BENCH_EXECUTABLE});
        return runIn("/bin/sh", std::move(arguments));
    }

    // The tool as started on a machine without a display: DISPLAY is taken away.
    ProcessResult runBenchWithoutDisplay(std::vector<std::string> arguments,
                                         std::vector<std::string> environment = {}) {
        arguments.insert(arguments.begin(), {"-u", "DISPLAY", CATHEDRAL_BENCH_EXECUTABLE});
        return runIn("/usr/bin/env", std::move(arguments), std::move(environment));
    }

    std::string readText(const fs::path& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // The report as JSON; discarded when it is not well-formed.
    json readReport(const fs::path& path) { return json::parse(readText(path), nullptr, false); }

    ScratchDirectory scratch;
    const fs::path directory = scratch.path;
};

} // namespace

// Standard output holds the report alone (a redirected table is a table, with the files written
// after it); the program's loader and shader lines go to standard error.
TEST_F(BenchRunGLTest, ShortRunReportsWhereItRanEveryPassEveryFrameAndCaptures) {
    fs::path report = directory / "report.json";
    fs::path csv = directory / "frames.csv";
    fs::path table = directory / "table.txt";
    ProcessResult result =
        runBenchInto(table, {"--size", "160x120", "--frames", "3", "--capture", "0.5",
                             "--capture-dir", directory.string(), "--json", report.string(),
                             "--csv", csv.string(), "--no-progress"});
    ASSERT_FALSE(result.timedOut);
    std::string output = readText(table);
    ASSERT_EQ(result.exitCode, 0) << result.output << output;
    EXPECT_EQ(countGLErrorLines(result.output + output), 0) << result.output << output;
    EXPECT_NE(result.output.find("Loading Shaders!"), std::string::npos) << result.output;
    EXPECT_EQ(output.find("Loading Shaders!"), std::string::npos) << output;
    EXPECT_EQ(output.rfind("build ", 0), 0u) << output;
    size_t tableRows = output.find("| frame (wall) |");
    EXPECT_NE(tableRows, std::string::npos) << output;
    EXPECT_NE(output.find("vsync off (swap interval 0)"), std::string::npos);
    size_t captured = output.find("Captured " + (directory / "capture_000.50s.png").string());
    EXPECT_NE(captured, std::string::npos) << output;
    EXPECT_GT(captured, tableRows) << output;
    EXPECT_NE(output.find("Wrote " + report.string() +
                          " (JSON report: 1 run, 3 frames with their samples)\n"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("Wrote " + csv.string() + " (CSV: one row per frame, 3 frames)\n"),
              std::string::npos)
        << output;

    json parsed = readReport(report);
    ASSERT_FALSE(parsed.is_discarded()) << "report is not well-formed JSON";
    const json& environment = parsed["environment"];
    EXPECT_NE(environment["commandLine"].get<std::string>().find("--size 160x120 --frames 3"),
              std::string::npos);
    EXPECT_FALSE(environment["commit"].get<std::string>().empty());
    EXPECT_FALSE(environment["buildType"].get<std::string>().empty());
    EXPECT_GT(environment["cpuCores"].get<int>(), 0);
    EXPECT_EQ(environment["date"].get<std::string>().size(), 20u); // 2025-01-31T12:00:00Z

    ASSERT_EQ(parsed["runs"].size(), 1u);
    const json& run = parsed["runs"][0];
    EXPECT_EQ(run["width"], 160);
    EXPECT_EQ(run["frames"], 3);
    EXPECT_EQ(run["captures"], 1);
    EXPECT_FALSE(run["context"]["renderer"].get<std::string>().empty());
    EXPECT_EQ(run["context"]["framebufferWidth"], 160);
    EXPECT_EQ(run["context"]["framebufferHeight"], 120);
    EXPECT_EQ(run["context"]["swapInterval"], 0);
    // every switch is on at start except colored shadows, so every pass ran in every frame
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        const char* name = PassTimer::name(static_cast<FramePass>(pass));
        EXPECT_EQ(run["passesMs"][name]["count"], 3) << name;
        EXPECT_TRUE(run["passesMs"][name]["p99"].is_number()) << name;
    }
    // one sample per frame in tour order (the capture falls on the second)
    ASSERT_EQ(run["samples"].size(), 3u);
    EXPECT_DOUBLE_EQ(run["samples"][1]["tourTime"].get<double>(), 0.5);
    for (const json& sample : run["samples"]) {
        EXPECT_TRUE(sample["gpuMs"].is_number());
        EXPECT_TRUE(sample["passesMs"]["lighting"].is_number());
    }
    std::string rows = readText(csv);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 4) << rows;

    fs::path png = directory / "capture_000.50s.png";
    ASSERT_TRUE(fs::exists(png)) << result.output;
    FIBITMAP* image = FreeImage_Load(FIF_PNG, png.string().c_str(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(image), 160u);
    EXPECT_EQ(FreeImage_GetHeight(image), 120u);
    FreeImage_Unload(image);
}

TEST_F(BenchRunGLTest, SweepRunsHandBackTheirSamplesAndSwitchedOffPassesAreNotTimed) {
    fs::path report = directory / "report.json";
    ProcessResult result =
        runBench({"--sweep-sizes", "96x64", "--frames", "2", "--ssao", "0", "--bloom", "0",
                  "--transparent", "0", "--aa", "0", "--json", report.string(), "--no-progress"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    json parsed = readReport(report);
    ASSERT_FALSE(parsed.is_discarded());
    ASSERT_EQ(parsed["runs"].size(), 2u); // cube maps every frame, then static
    for (const json& run : parsed["runs"]) {
        EXPECT_FALSE(run["settings"]["ssao"].get<bool>());
        EXPECT_FALSE(run["settings"]["aa"].get<bool>());
        EXPECT_EQ(run["samples"].size(), 2u);
        EXPECT_EQ(run["context"]["framebufferWidth"], 96);
        for (const char* off : {"ssao", "bloom", "forward", "antiAliasing"}) {
            EXPECT_EQ(run["passesMs"][off]["count"], 0) << off;
            EXPECT_TRUE(run["samples"][0]["passesMs"][off].is_null()) << off;
        }
        for (const char* on : {"shadowMaps", "geometry", "lighting"}) {
            EXPECT_EQ(run["passesMs"][on]["count"], 2) << on;
        }
    }
}

TEST_F(BenchRunGLTest, MissingModelsFailTheRunInsteadOfTimingAnEmptyFrame) {
    // the shaders are there, the models are not
    fs::create_directory_symlink(fs::path(CATHEDRAL_RUNTIME_DIR) / "Shader", directory / "Shader");
    fs::path report = directory / "report.json";
    ProcessOptions options;
    options.workingDirectory = directory.string();
    options.timeoutSeconds = 600.0;
    ProcessResult result = ProcessRunner::run(
        CATHEDRAL_BENCH_EXECUTABLE,
        {"--size", "64x48", "--frames", "1", "--json", report.string(), "--no-progress"}, options);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("no geometry"), std::string::npos) << result.output;
    json parsed = readReport(report);
    ASSERT_FALSE(parsed.is_discarded());
    EXPECT_FALSE(parsed["runs"][0]["ok"].get<bool>());
}

TEST_F(BenchRunGLTest, BadCommandLineFailsWithoutRendering) {
    fs::path report = directory / "report.json";
    ProcessResult result = runBench({"--size", "160by120", "--json", report.string()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.output.find("--size"), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(report));

    // past the end of the tour there is no frame to render
    ProcessResult pastEnd = runBench({"--from", "200", "--frames", "1", "--json", report.string()});
    EXPECT_EQ(pastEnd.exitCode, 2);
    EXPECT_EQ(pastEnd.output, "cathedral-bench: --from 200 is past the end of the tour (110.80 s): "
                              "no frame to render\n");
    EXPECT_FALSE(fs::exists(report));

    ProcessResult unknown = runBench({"--set", "glare=1", "--json", report.string()});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.output.rfind("cathedral-bench: --set: Unknown tunable \"glare\"; the "
                                   "tunables are exposure, ",
                                   0),
              0u)
        << unknown.output;
    EXPECT_EQ(std::count(unknown.output.begin(), unknown.output.end(), '\n'), 1);
    EXPECT_FALSE(fs::exists(report));

    ProcessResult compare = runBench({"--compare", (directory / "none.json").string(), "b.json"});
    EXPECT_EQ(compare.exitCode, 1);
    EXPECT_EQ(compare.output,
              "cathedral-bench: cannot read " + (directory / "none.json").string() + "\n");
}

TEST_F(BenchRunGLTest, TunablesAtTheirStartValuesCaptureTheSameFrameAndOthersAreRecorded) {
    auto capture = [&](const std::string& name, std::vector<std::string> set) {
        fs::path captures = directory / name;
        std::vector<std::string> arguments = {"--size",        "160x120",
                                              "--frames",      "1",
                                              "--capture",     "20",
                                              "--from",        "20",
                                              "--capture-dir", captures.string(),
                                              "--json",        (captures / "report.json").string(),
                                              "--no-progress"};
        arguments.insert(arguments.end(), set.begin(), set.end());
        fs::create_directories(captures);
        ProcessResult result = runBench(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return captures;
    };
    fs::path plain = capture("plain", {});
    fs::path start = capture("start", {"--set", "exposure=1.8", "--set", "ssao-radius=1"});
    fs::path brighter = capture("brighter", {"--set", "exposure=3"});
    std::string png = "capture_020.00s.png";
    EXPECT_EQ(readText(plain / png), readText(start / png));
    EXPECT_NE(readText(plain / png), readText(brighter / png));
    json report = readReport(brighter / "report.json");
    ASSERT_FALSE(report.is_discarded());
    const json& tunables = report["runs"][0]["settings"]["tunables"];
    EXPECT_FLOAT_EQ(tunables["exposure"].get<float>(), 3.0f);
    EXPECT_FLOAT_EQ(tunables["bloom-knee"].get<float>(), 0.4f);
}

TEST_F(BenchRunGLTest, WithoutADisplayTheRunGoesHeadlessAndCapturesTheWindowsFrames) {
    auto run = [&](const std::string& name, bool display) {
        fs::path captures = directory / name;
        std::vector<std::string> arguments = {
            "--frames",      "3",
            "--size",        "320x240",
            "--capture",     "0,0.5,1",
            "--capture-dir", captures.string(),
            "--json",        (directory / (name + ".json")).string(),
            "--no-progress"};
        ProcessResult result = display ? runBench(arguments) : runBenchWithoutDisplay(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(countGLErrorLines(result.output), 0) << result.output;
        return readReport(directory / (name + ".json"))["runs"][0]["context"];
    };
    json windowed = run("windowed", true);
    json headless = run("headless", false);
    EXPECT_EQ(windowed["platform"], "GLX window");
    EXPECT_EQ(windowed["eglVendor"], "");
    // Mesa lists its software rasteriser as an EGL device too; it is no GPU, so surfaceless.
    EXPECT_EQ(headless["platform"], "EGL surfaceless");
    EXPECT_EQ(headless["eglVendor"], "Mesa Project");
    EXPECT_EQ(headless["framebufferWidth"], 320);
    for (const char* name : {"capture_000.00s.png", "capture_000.50s.png", "capture_001.00s.png"}) {
        std::string windowedPng = readText(directory / "windowed" / name);
        EXPECT_FALSE(windowedPng.empty()) << name;
        EXPECT_TRUE(windowedPng == readText(directory / "headless" / name))
            << name << " differs between the windowed and the headless run";
    }
}

TEST_F(BenchRunGLTest, HeadlessWithoutAUsableEglFailsWithOneLine) {
    struct Case {
        std::string environment;
        std::string line;
    };
    for (const Case& c : {Case{"__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/vendor.json",
                               "cathedral-bench: no EGL implementation"},
                          Case{"MESA_GL_VERSION_OVERRIDE=3.1", "has no OpenGL 3.3 core context"}}) {
        ProcessResult result = runBench(
            {"--headless", "--size", "64x48", "--frames", "1", "--no-progress"}, {c.environment});
        EXPECT_EQ(result.exitCode, 1) << c.environment << "\n" << result.output;
        EXPECT_NE(result.output.find(c.line), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("Loading Shaders!"), std::string::npos) << result.output;
    }
}
