// cathedral-bench run as a user runs it, on the real pipeline at a small size: the report names
// every pass with a sample per frame, the switches reach the renderer, the capture is a PNG of
// the window's size, no GL error is printed, and a bad command line fails before rendering.
#include "GLTestContext.h"
#include "JsonCheck.h"
#include "ProcessRunner.h"

#include "render/PassTimer.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class BenchRunGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = fs::temp_directory_path() /
                    ("cathedral-bench-test-" + std::to_string(getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    ProcessResult runBench(std::vector<std::string> arguments) {
        ProcessOptions options;
        options.workingDirectory = CATHEDRAL_RUNTIME_DIR;
        options.timeoutSeconds = 600.0;
        return ProcessRunner::run(CATHEDRAL_BENCH_EXECUTABLE, arguments, options);
    }

    std::optional<JsonValue> readReport(const fs::path& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return JsonReader::parse(text.str());
    }

    fs::path directory;
};

} // namespace

TEST_F(BenchRunGLTest, ShortRunReportsEveryPassAndCapturesAtTheWindowSize) {
    fs::path report = directory / "report.json";
    ProcessResult result =
        runBench({"--size", "160x120", "--frames", "3", "--capture", "0.5", "--capture-dir",
                  directory.string(), "--json", report.string(), "--no-progress"});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(countGLErrorLines(result.output), 0) << result.output;
    EXPECT_NE(result.output.find("| frame (wall) |"), std::string::npos) << result.output;

    std::optional<JsonValue> parsed = readReport(report);
    ASSERT_TRUE(parsed) << "report is not well-formed JSON";
    ASSERT_EQ((*parsed)["runs"].items.size(), 1u);
    const JsonValue& run = (*parsed)["runs"].items[0];
    EXPECT_EQ(run["width"].number, 160);
    EXPECT_EQ(run["height"].number, 120);
    EXPECT_EQ(run["frames"].number, 3);
    EXPECT_EQ(run["captures"].number, 1);
    // every switch is on at start except colored shadows, so every pass ran in every frame
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        const char* name = PassTimer::name(static_cast<FramePass>(pass));
        ASSERT_TRUE(run["passesMs"].has(name)) << name;
        EXPECT_EQ(run["passesMs"][name]["count"].number, 3) << name;
    }
    EXPECT_EQ(run["frameGpuMs"]["count"].number, 3);
    EXPECT_EQ(run["cpuMs"]["count"].number, 3);

    fs::path png = directory / "capture_000.50s.png";
    ASSERT_TRUE(fs::exists(png)) << result.output;
    FIBITMAP* image = FreeImage_Load(FIF_PNG, png.string().c_str(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(image), 160u);
    EXPECT_EQ(FreeImage_GetHeight(image), 120u);
    FreeImage_Unload(image);
}

TEST_F(BenchRunGLTest, SwitchedOffPassesAreNotTimed) {
    fs::path report = directory / "report.json";
    ProcessResult result =
        runBench({"--size", "96x64", "--frames", "2", "--ssao", "0", "--bloom", "0",
                  "--transparent", "0", "--json", report.string(), "--no-progress"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::optional<JsonValue> parsed = readReport(report);
    ASSERT_TRUE(parsed);
    const JsonValue& run = (*parsed)["runs"].items[0];
    EXPECT_FALSE(run["settings"]["ssao"].flag);
    for (const char* off : {"ssao", "bloom", "forward"}) {
        EXPECT_EQ(run["passesMs"][off]["count"].number, 0) << off;
        EXPECT_EQ(run["passesMs"][off]["median"].kind, JsonValue::Null) << off;
    }
    for (const char* on : {"shadowMaps", "geometry", "lighting"}) {
        EXPECT_EQ(run["passesMs"][on]["count"].number, 2) << on;
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
    std::optional<JsonValue> parsed = readReport(report);
    ASSERT_TRUE(parsed);
    EXPECT_FALSE((*parsed)["runs"].items[0]["ok"].flag);
}

TEST_F(BenchRunGLTest, BadCommandLineFailsWithoutRendering) {
    fs::path report = directory / "report.json";
    ProcessResult result = runBench({"--size", "160by120", "--json", report.string()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.output.find("--size"), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(report));
}
