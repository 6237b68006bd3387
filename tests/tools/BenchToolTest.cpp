// The benchmark tool's own logic without a GL context: the command line, the frame schedule,
// the statistics and the paired test, the report formats and their reading back, and the
// comparison of reports, bad input included.
#include "BenchCompare.h"
#include "BenchEnvironment.h"
#include "BenchOptions.h"
#include "BenchReport.h"
#include "FrameSchedule.h"
#include "ProgressBar.h"
#include "ScratchDirectory.h"
#include "Statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using nlohmann::json;

namespace {

ParseResult parse(std::vector<std::string> arguments) {
    return parseBenchOptions(arguments);
}

// A finished run with made-up numbers at tour times 0..4; SSAO did not run in it.
RunResult sampleRun(int width, int height, bool updateShadowMaps, double scale) {
    std::vector<FrameRecord> frames(5);
    for (int i = 0; i < 5; ++i) {
        FrameRecord& frame = frames[static_cast<size_t>(i)];
        frame.tourTime = i;
        for (int pass = 0; pass < kFramePassCount; ++pass) {
            frame.passRan[pass] = pass != static_cast<int>(FramePass::SSAO);
            frame.passMs[pass] = frame.passRan[pass] ? scale * (pass + 1) * (i + 1) : 0.0;
        }
        frame.gpuMs = scale * 20.0 * (i + 1);
        frame.gpuKnown = true;
        frame.wallMs = scale * 25.0 * (i + 1);
        frame.cpuMs = 1.0;
    }
    RunResult run;
    run.ok = true;
    run.settings.width = width;
    run.settings.height = height;
    run.settings.updateShadowMaps = updateShadowMaps;
    run.settings.switches = currentSwitchStates();
    run.context.renderer = "llvmpipe";
    setFrameRecords(run, frames);
    return run;
}

BenchEnvironment sampleEnvironment() {
    BenchEnvironment environment;
    environment.commandLine = "cathedral-bench --size 640x480";
    environment.commit = "abc123";
    environment.cpuCores = 2;
    return environment;
}

ReportFile reportOf(std::vector<RunResult> runs) {
    return ReportFile{sampleEnvironment(), std::move(runs)};
}

} // namespace

TEST(BenchOptionsTest, DefaultsRenderTheWholeTourAtTheDemoSize) {
    ParseResult result = parse({});
    ASSERT_TRUE(result.ok) << result.error;
    const BenchOptions& o = result.options;
    EXPECT_EQ(o.size.width, 1024);
    EXPECT_EQ(o.size.height, 768);
    EXPECT_FALSE(o.to.has_value());
    EXPECT_FALSE(o.frames.has_value());
    EXPECT_TRUE(o.updateShadowMaps);
    EXPECT_TRUE(o.switches.empty());
    EXPECT_FALSE(o.sweep);
    EXPECT_TRUE(o.captureTimes.empty());
    EXPECT_TRUE(o.jsonPath.empty());
    EXPECT_FALSE(o.compare.has_value());

    // --help fits a terminal of 80 columns and states the comparison's whole rule
    std::istringstream usage(benchUsage());
    std::string words;
    for (std::string line; std::getline(usage, line);) {
        EXPECT_LE(line.size(), 80u) << line;
        size_t first = line.find_first_not_of(' ');
        words += first == std::string::npos ? "" : " " + line.substr(first);
    }
    EXPECT_NE(words.find(compareRule()), std::string::npos) << words;
}

TEST(BenchOptionsTest, ReadsEveryOptionInBothSpellings) {
    // clang-format off
    ParseResult result = parse({
        "--size=640x480", "--dt", "0.25", "--from", "10", "--frames=3", "--bump", "0",
        "--bloom=1", "--ssao", "off", "--transparent", "0", "--omni=0", "--colored", "1",
        "--light-mode", "2", "--aa=0", "--update-shadow-maps", "0", "--gpu-timer", "0",
        "--capture", "30,5,5,12.5", "--capture-dir", "shots", "--json", "out.json", "--csv=f.csv",
        "--no-progress", "--warmup=0", "--repeat", "3", "--set", "exposure=2.5",
        "--set=ssao-radius=0.5", "--set", "exposure=3"});
    // clang-format on
    ASSERT_TRUE(result.ok) << result.error;
    const BenchOptions& o = result.options;
    EXPECT_EQ(o.size.width, 640);
    EXPECT_EQ(o.size.height, 480);
    EXPECT_DOUBLE_EQ(o.timeStep, 0.25);
    EXPECT_DOUBLE_EQ(o.from, 10.0);
    EXPECT_EQ(o.frames, 3);
    EXPECT_EQ(o.switches, (SwitchStates{{"bump", 0},
                                        {"bloom", 1},
                                        {"ssao", 0},
                                        {"transparent", 0},
                                        {"omni", 0},
                                        {"colored", 1},
                                        {"light-mode", 2},
                                        {"aa", 0}}));
    EXPECT_FALSE(o.updateShadowMaps);
    // sorted, the duplicate dropped
    EXPECT_EQ(o.captureTimes, (std::vector<double>{5.0, 12.5, 30.0}));
    EXPECT_EQ(o.captureDirectory, "shots");
    EXPECT_EQ(o.jsonPath, "out.json");
    EXPECT_EQ(o.csvPath, "f.csv");
    EXPECT_FALSE(o.progress);
    EXPECT_EQ(o.warmupFrames, 0);
    EXPECT_FALSE(o.gpuTimer);
    EXPECT_EQ(o.repeats, 3);
    // repeatable, the last value of a name wins
    EXPECT_EQ(o.tunables,
              (std::map<std::string, float>{{"exposure", 3.0f}, {"ssao-radius", 0.5f}}));
}

// An unknown name or a value outside the range: one line naming the valid names or the range,
// and exit code 1 instead of the other options' 2.
TEST(BenchOptionsTest, SetRefusesUnknownTunablesAndValuesOutsideTheirRange) {
    ParseResult unknown = parse({"--set", "brightness=2"});
    EXPECT_FALSE(unknown.ok);
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(
        unknown.error.rfind("--set: Unknown tunable \"brightness\"; the tunables are exposure, "
                            "bloom-threshold,",
                            0),
        0u)
        << unknown.error;
    for (const char* value :
         {"exposure=9", "exposure=0.05", "exposure=nan", "exposure=", "exposure=2x"}) {
        ParseResult outside = parse({"--set", value});
        EXPECT_FALSE(outside.ok) << value;
        EXPECT_EQ(outside.exitCode, 1) << value;
        EXPECT_NE(outside.error.find("Tunable exposure takes a value from 0.10 to 8.00"),
                  std::string::npos)
            << outside.error;
    }
    EXPECT_FALSE(parse({"--set", "exposure"}).ok);
    EXPECT_FALSE(parse({"--set"}).ok);
    EXPECT_TRUE(parse({"--set", "exposure=8"}).ok);
}

TEST(BenchOptionsTest, RejectsMalformedValuesNamingTheOption) {
    const std::vector<std::vector<std::string>> invalid = {
        {"--size", "640"},       {"--size", "640x"},     {"--size", "0x480"},
        {"--size", "640x480x2"}, {"--size", "-640x480"}, {"--size", "99999x480"},
        {"--dt", "0"},           {"--dt", "-1"},         {"--dt", "fast"},
        {"--dt", "nan"},         {"--frames", "0"},      {"--frames", "2.5"},
        {"--frames", "3x"},      {"--repeat", "0"},      {"--repeat", "21"},
        {"--from", "-1"},        {"--bloom", "yes"},     {"--bloom", "2"},
        {"--light-mode", "3"},   {"--light-mode", "-1"}, {"--update-shadow-maps", ""},
        {"--capture", "5,,7"},   {"--capture", "-2"},    {"--capture", "5,x"},
        {"--json", ""},          {"--csv", ""},          {"--sweep-sizes", "640x480,big"},
    };
    for (const std::vector<std::string>& arguments : invalid) {
        ParseResult result = parse(arguments);
        EXPECT_FALSE(result.ok) << arguments[0] << " " << arguments[1];
        EXPECT_NE(result.error.find(arguments[0]), std::string::npos) << result.error;
    }
}

TEST(BenchOptionsTest, RejectsUnknownOptionsMissingValuesAndImpossibleCombinations) {
    EXPECT_FALSE(parse({"--fullscreen", "1"}).ok);
    EXPECT_FALSE(parse({"640x480"}).ok);
    EXPECT_FALSE(parse({"--size"}).ok);
    EXPECT_FALSE(parse({"--sweep=1"}).ok);
    EXPECT_FALSE(parse({"--from", "20", "--to", "10"}).ok);
    EXPECT_FALSE(parse({"--to", "10", "--frames", "5"}).ok);
    EXPECT_FALSE(parse({"--sweep", "--size", "640x480"}).ok);
    EXPECT_FALSE(parse({"--sweep", "--capture", "5"}).ok);
    EXPECT_TRUE(parse({"--from", "10", "--to", "10"}).ok);
    // past the end of the tour nothing would be rendered: refused before any window opens
    EXPECT_EQ(checkTourRange(parse({"--from", "200", "--frames", "1"}).options, 110.8),
              "--from 200 is past the end of the tour (110.80 s): no frame to render");
    EXPECT_EQ(checkTourRange(parse({"--from", "110.8"}).options, 110.8), "");

    // --compare takes exactly two reports and nothing that would render
    ParseResult compare = parse({"--compare", "a.json", "b1.json,b2.json"});
    ASSERT_TRUE(compare.ok) << compare.error;
    EXPECT_EQ(compare.options.compare->second, "b1.json,b2.json");
    EXPECT_FALSE(parse({"--compare", "a.json"}).ok);
    EXPECT_FALSE(parse({"--compare=a.json", "b.json"}).ok);
    EXPECT_FALSE(parse({"--compare", "a.json", "b.json", "--size", "640x480"}).ok);
    EXPECT_FALSE(parse({"--sweep", "--compare", "a.json", "b.json"}).ok);
}

TEST(BenchOptionsTest, SweepSizesReplaceTheDefaultsAndImplyTheSweep) {
    ParseResult defaults = parse({"--sweep"});
    ASSERT_TRUE(defaults.ok);
    EXPECT_EQ(defaults.options.sweepSizes,
              (std::vector<WindowSize>{{1280, 720}, {1920, 1080}, {2560, 1440}}));

    ParseResult custom = parse({"--sweep-sizes", "320x240,1024x768"});
    ASSERT_TRUE(custom.ok) << custom.error;
    EXPECT_TRUE(custom.options.sweep);
    ASSERT_EQ(custom.options.sweepSizes.size(), 2u);
    EXPECT_TRUE((custom.options.sweepSizes[0] == WindowSize{320, 240}));
}

TEST(StatisticsTest, MedianAndP90OfKnownData) {
    Summary odd = summarize({5.0, 1.0, 3.0});
    EXPECT_EQ(odd.count, 3);
    EXPECT_DOUBLE_EQ(odd.median, 3.0);
    EXPECT_DOUBLE_EQ(odd.min, 1.0);
    EXPECT_DOUBLE_EQ(odd.max, 5.0);
    EXPECT_DOUBLE_EQ(odd.mean, 3.0);

    // even count: the mean of the two middle values
    EXPECT_DOUBLE_EQ(summarize({4.0, 1.0, 3.0, 2.0}).median, 2.5);

    // 1..10: rank 0.9 * 9 = 8.1, between 9 and 10
    std::vector<double> ten = {10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    Summary tenSummary = summarize(ten);
    EXPECT_DOUBLE_EQ(tenSummary.median, 5.5);
    EXPECT_NEAR(tenSummary.p90, 9.1, 1e-12);
    EXPECT_NEAR(tenSummary.p95, 9.55, 1e-12);
    EXPECT_NEAR(tenSummary.p99, 9.91, 1e-12);
    EXPECT_NEAR(tenSummary.stddev, 3.0276503540974917, 1e-12); // sample (n - 1) deviation

    // one slow frame among many does not move the median but shows in p90 of a short run
    std::vector<double> spike(9, 100.0);
    spike.push_back(1000.0);
    Summary spiked = summarize(spike);
    EXPECT_DOUBLE_EQ(spiked.median, 100.0);
    EXPECT_GT(spiked.p90, 100.0);
    EXPECT_DOUBLE_EQ(spiked.max, 1000.0);
}

TEST(StatisticsTest, EmptyAndSingleSamplesAndClampedFractions) {
    Summary empty = summarize({});
    EXPECT_EQ(empty.count, 0);
    EXPECT_DOUBLE_EQ(empty.median, 0.0);
    EXPECT_DOUBLE_EQ(percentile({}, 0.5), 0.0);

    Summary one = summarize({7.5});
    EXPECT_DOUBLE_EQ(one.median, 7.5);
    EXPECT_DOUBLE_EQ(one.p99, 7.5);
    EXPECT_DOUBLE_EQ(one.stddev, 0.0);

    EXPECT_DOUBLE_EQ(percentile({1, 2, 3}, 1.5), 3.0);
    EXPECT_DOUBLE_EQ(percentile({1, 2, 3}, -1.0), 1.0);
}

TEST(FrameScheduleTest, GridEndsAtTheRangeOrTheTourEnd) {
    FrameSchedule ranged = buildFrameSchedule(10.0, 0.5, 12.0, std::nullopt, 110.0, {});
    ASSERT_EQ(ranged.frames.size(), 5u); // 10, 10.5, 11, 11.5, 12: the end is included
    EXPECT_DOUBLE_EQ(ranged.frames.front().time, 10.0);
    EXPECT_DOUBLE_EQ(ranged.frames.back().time, 12.0);

    FrameSchedule whole = buildFrameSchedule(0.0, 0.1, std::nullopt, std::nullopt, 1.0, {});
    EXPECT_EQ(whole.frames.size(), 11u); // no frame lost to rounding of 0.1 steps

    FrameSchedule beyond = buildFrameSchedule(0.0, 1.0, 500.0, std::nullopt, 3.0, {});
    EXPECT_EQ(beyond.frames.size(), 4u);

    FrameSchedule counted = buildFrameSchedule(2.0, 1.0, std::nullopt, 3, 110.0, {});
    ASSERT_EQ(counted.frames.size(), 3u);
    EXPECT_DOUBLE_EQ(counted.frames.back().time, 4.0);

    EXPECT_TRUE(buildFrameSchedule(5.0, 1.0, std::nullopt, 3, 4.0, {}).frames.empty());
}

TEST(FrameScheduleTest, CapturesMarkGridFramesOrAddTheirOwnAndOutsidersAreReported) {
    FrameSchedule schedule =
        buildFrameSchedule(0.0, 1.0, std::nullopt, 3, 110.0, {0.0, 1.25, 2.0, 7.0});
    ASSERT_EQ(schedule.frames.size(), 4u);
    EXPECT_TRUE(schedule.frames[0].capture);
    EXPECT_FALSE(schedule.frames[1].capture);
    EXPECT_DOUBLE_EQ(schedule.frames[2].time, 1.25);
    EXPECT_TRUE(schedule.frames[2].capture);
    EXPECT_TRUE(schedule.frames[3].capture);
    EXPECT_EQ(schedule.skippedCaptures, std::vector<double>{7.0});

    // a step longer than the range still renders every capture within it
    FrameSchedule sparse =
        buildFrameSchedule(0.0, 200.0, std::nullopt, std::nullopt, 110.0, {5.0, 90.0, 120.0});
    ASSERT_EQ(sparse.frames.size(), 3u);
    EXPECT_DOUBLE_EQ(sparse.frames[2].time, 90.0);
    EXPECT_EQ(sparse.skippedCaptures, std::vector<double>{120.0});

    // the views of one tour time get names of their own; the final image keeps the plain one
    EXPECT_EQ(captureFileName(5.0, DebugView::FinalImage), "capture_005.00s.png");
    EXPECT_EQ(captureFileName(30.0, DebugView::WorldNormal), "capture_030.00s-world-normal.png");
    EXPECT_NE(captureFileName(5.0, DebugView::FinalImage),
              captureFileName(5.25, DebugView::FinalImage));
}

TEST(StatisticsTest, SignedRankTestTellsAShiftFromNoise) {
    std::vector<double> base = {10, 12, 9, 15, 11, 13, 16, 14, 8, 17};
    EXPECT_DOUBLE_EQ(signedRankPValue(base, base), 1.0);

    // ten pairs, every one slower, no ties: W+ = 55 against 27.5 expected, normal approximation
    std::vector<double> slower;
    for (double value : base) {
        slower.push_back(value + 0.1 + value / 100.0);
    }
    EXPECT_NEAR(signedRankPValue(base, slower), 0.0059215, 1e-6);
    EXPECT_DOUBLE_EQ(signedRankPValue(base, slower), signedRankPValue(slower, base));

    // differences that go both ways as often and as far are noise
    std::vector<double> jitter = base;
    for (size_t i = 0; i < jitter.size(); ++i) {
        jitter[i] += i % 2 == 0 ? 0.5 : -0.5;
    }
    EXPECT_GT(signedRankPValue(base, jitter), 0.5);
}

TEST(BenchReportTest, JsonHoldsEnvironmentSummariesAndSamplesAndReadsBack) {
    RunResult original = sampleRun(640, 480, true, 1.0);
    std::string text = formatJsonReport(sampleEnvironment(), {original}, std::nullopt);
    json parsed = json::parse(text, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << text;
    EXPECT_EQ(parsed["environment"]["commit"], "abc123");
    EXPECT_EQ(parsed["environment"]["cpuCores"], 2);
    EXPECT_FALSE(parsed.contains("baseline"));
    const json& run = parsed["runs"][0];
    EXPECT_FALSE(run.contains("ratioToBaseline"));
    EXPECT_EQ(run["context"]["renderer"], "llvmpipe");
    EXPECT_EQ(run["context"]["vsync"], false);
    EXPECT_TRUE(run["passesMs"]["ssao"]["median"].is_null());
    EXPECT_DOUBLE_EQ(run["passesMs"]["lighting"]["median"].get<double>(), 12.0);
    EXPECT_DOUBLE_EQ(run["frameWallMs"]["p99"].get<double>(), 124.0);
    ASSERT_EQ(run["samples"].size(), 5u);
    EXPECT_DOUBLE_EQ(run["samples"][4]["passesMs"]["bloom"].get<double>(), 30.0);
    EXPECT_TRUE(run["samples"][4]["passesMs"]["ssao"].is_null());

    std::string error;
    std::optional<ReportFile> back = parseJsonReport(text, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->environment.commandLine, "cathedral-bench --size 640x480");
    const RunResult& read = back->runs[0];
    EXPECT_TRUE(sameConfiguration(read.settings, original.settings));
    EXPECT_EQ(read.frames, 5);
    EXPECT_DOUBLE_EQ(read.wallFrame.stddev, original.wallFrame.stddev);
    EXPECT_DOUBLE_EQ(read.frameRecords[3].tourTime, 3.0);
    EXPECT_EQ(read.passes[static_cast<int>(FramePass::SSAO)].count, 0);
    EXPECT_EQ(read.context.renderer, "llvmpipe");
}

TEST(BenchReportTest, CsvHasARowPerFrameWithEmptyFieldsForPassesThatDidNotRun) {
    std::string csv = formatCsvReport({sampleRun(640, 480, false, 1.0)});
    EXPECT_EQ(csv.rfind("width,height,updateShadowMaps,frame,tourTime,shadowMaps,geometry,ssao,"
                        "lighting,forward,bloom,antiAliasing,frameGpu,frameWall,cpu,processCpu\n",
                        0),
              0u)
        << csv;
    EXPECT_NE(csv.find("\n640,480,0,1,1,2.0000,4.0000,,8.0000,10.0000,12.0000,14.0000,40.0000,"
                       "50.0000,1.0000,0.0000\n"),
              std::string::npos)
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6);
}

TEST(BenchReportTest, SweepReportsRatiosToTheBaselineRun) {
    std::vector<RunResult> runs = {sampleRun(640, 480, true, 0.5), sampleRun(1024, 768, true, 1.0),
                                   sampleRun(1024, 768, false, 0.25)};
    std::optional<size_t> baseline = findBaseline(runs, 1024, 768);
    ASSERT_EQ(baseline, 1u); // the static run at the same size is no baseline
    json parsed = json::parse(formatJsonReport(sampleEnvironment(), runs, baseline));
    EXPECT_EQ(parsed["baseline"], 1);
    const json& small = parsed["runs"][0];
    EXPECT_DOUBLE_EQ(small["ratioToBaseline"]["frameWall"].get<double>(), 0.5);
    EXPECT_TRUE(small["ratioToBaseline"]["ssao"].is_null());
    EXPECT_EQ(parsed["runs"][2]["label"], "1024x768 static");

    std::string table = formatSweepTable(runs, *baseline);
    EXPECT_NE(table.find("| 640x480 | 1024x768 | 1024x768 static |"), std::string::npos) << table;
    EXPECT_NE(table.find("(0.50x)"), std::string::npos);
    EXPECT_NE(table.find("(0.25x)"), std::string::npos);
    EXPECT_NE(table.find("| SSAO | off | off | off |"), std::string::npos) << table;
}

TEST(BenchReportTest, RunTableHasARowPerPassAndTheFrameTotals) {
    std::string table = formatRunTable(sampleRun(1024, 768, true, 1.0));
    // 25..125 ms: p90 115, p95 120, p99 124, max 125, sd 39.5
    for (const char* row :
         {"| shadow maps | 3.0 | ", "| geometry |", "| SSAO | off |", "| lighting |", "| forward |",
          "| bloom |", "| frame (GPU) | 60.0 |",
          "| frame (wall) | 75.0 | 115.0 | 120.0 | 124.0 | 125.0 | 39.5 |",
          "| CPU, main thread | 1.0 |", "| fps | 13.33 |", "GL:  | llvmpipe | ;"}) {
        EXPECT_NE(table.find(row), std::string::npos) << row << "\n" << table;
    }
    // the header names the view and counts a single frame as one
    RunResult single = sampleRun(1024, 768, true, 1.0);
    single.settings.view = DebugView::ShadowCubeMap;
    setFrameRecords(single, {single.frameRecords.front()});
    EXPECT_EQ(formatRunTable(single).rfind("cathedral-bench 1024x768: 1 frame; view Shadow Cube "
                                           "Map; tour ",
                                           0),
              0u)
        << formatRunTable(single);
    EXPECT_EQ(runLabel(sampleRun(640, 480, false, 1.0)), "640x480 static");

    // the README's table of measured times names its rows as the tool does
    std::ifstream readme(CATHEDRAL_SOURCE_DIR "/README.md");
    std::vector<std::string> labels = tableRowLabels();
    bool inTable = false;
    int rows = 0;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("| median ms | 1024x768", 0) == 0) {
            inTable = true;
        } else if (inTable && line.rfind("| ", 0) == 0) {
            std::string label = line.substr(2, line.find(" |") - 2);
            EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
            ++rows;
        } else if (inTable && line.rfind("|---", 0) != 0) {
            inTable = false;
        }
    }
    EXPECT_GE(rows, 10) << "the README's table of median times was not found";
}

TEST(BenchReportTest, RepeatsKeepEachFramesFastestValueAndCutToTheShortest) {
    auto frame = [](double wall, double lighting, bool ssaoRan) {
        FrameRecord record;
        record.wallMs = wall;
        record.cpuMs = wall / 10.0;
        record.processCpuMs = wall * 2.0;
        record.passMs[static_cast<int>(FramePass::Lighting)] = lighting;
        record.passRan[static_cast<int>(FramePass::Lighting)] = true;
        record.passMs[static_cast<int>(FramePass::SSAO)] = ssaoRan ? 5.0 : 0.0;
        record.passRan[static_cast<int>(FramePass::SSAO)] = ssaoRan;
        record.gpuMs = wall;
        record.gpuKnown = true;
        return record;
    };
    // the second repeat was disturbed in frame 0, the first in frame 1
    std::vector<FrameRecord> first = {frame(100, 50, false), frame(300, 90, false),
                                      frame(120, 60, false)};
    first[1].tourTime = 0.5;
    std::vector<FrameRecord> second = {frame(200, 70, true), frame(110, 55, false)};
    std::vector<FrameRecord> fastest = fastestOfRepeats({first, second});
    ASSERT_EQ(fastest.size(), 2u);
    EXPECT_DOUBLE_EQ(fastest[0].wallMs, 100.0);
    EXPECT_DOUBLE_EQ(fastest[1].wallMs, 110.0);
    EXPECT_DOUBLE_EQ(fastest[1].tourTime, 0.5);
    EXPECT_DOUBLE_EQ(fastest[1].cpuMs, 11.0);
    EXPECT_DOUBLE_EQ(fastest[1].passMs[static_cast<int>(FramePass::Lighting)], 55.0);
    // a pass that ran in only one repeat keeps that repeat's time, not the 0 of the other
    EXPECT_TRUE(fastest[0].passRan[static_cast<int>(FramePass::SSAO)]);
    EXPECT_DOUBLE_EQ(fastest[0].passMs[static_cast<int>(FramePass::SSAO)], 5.0);

    RunSamples samples = samplesOf(fastest);
    EXPECT_EQ(samples.wallFrame.size(), 2u);
    EXPECT_EQ(samples.pass[static_cast<int>(FramePass::SSAO)].size(), 1u);
    EXPECT_EQ(samples.pass[static_cast<int>(FramePass::Bloom)].size(), 0u);
    EXPECT_TRUE(fastestOfRepeats({}).empty());
}

TEST(BenchCompareTest, ReportsBothMediansTheRatioAndWhetherTheChangeIsBeyondNoise) {
    RunResult base = sampleRun(1024, 768, true, 1.0);
    RunResult next = base;
    std::vector<FrameRecord> frames = next.frameRecords;
    for (size_t i = 0; i < frames.size(); ++i) {
        frames[i].passMs[static_cast<int>(FramePass::Lighting)] *= 1.5;            // every frame
        frames[i].passMs[static_cast<int>(FramePass::Geometry)] += i % 2 ? 1 : -1; // noise
    }
    // five pairs cannot reach p < 0.01: give the test twenty frames
    std::vector<FrameRecord> baseFrames;
    std::vector<FrameRecord> nextFrames;
    for (int copy = 0; copy < 4; ++copy) {
        for (size_t i = 0; i < frames.size(); ++i) {
            baseFrames.push_back(base.frameRecords[i]);
            baseFrames.back().tourTime = copy * 5.0 + static_cast<double>(i);
            nextFrames.push_back(frames[i]);
            nextFrames.back().tourTime = baseFrames.back().tourTime;
        }
    }
    setFrameRecords(base, baseFrames);
    setFrameRecords(next, nextFrames);

    ASSERT_EQ(compareMismatch(reportOf({base}), reportOf({next})), "");
    std::string table = formatComparison(reportOf({base}), reportOf({next}));
    auto row = [&table](const std::string& label) {
        size_t start = table.find("| " + label + " |");
        return start == std::string::npos ? ""
                                          : table.substr(start, table.find('\n', start) - start);
    };
    EXPECT_EQ(row("lighting").rfind("| lighting | 12.0 | 18.0 | 1.500 | ", 0), 0u) << table;
    EXPECT_NE(row("lighting").find("| yes, slower |"), std::string::npos) << table;
    EXPECT_NE(row("geometry").find("| no |"), std::string::npos) << table;
    EXPECT_EQ(row("SSAO"), "| SSAO | off | off | | | |");
    EXPECT_EQ(row("frame (wall)"), "| frame (wall) | 75.0 | 75.0 | 1.000 | 1 | no |");
    EXPECT_NE(table.find(compareRule()), std::string::npos);
}

namespace {

// `frames` frames of made-up work varying along the tour, every sample scaled by `drift` (the
// machine's state during that run) and by a little frame-to-frame jitter.
RunResult driftedRun(int frames, double drift, unsigned seed) {
    RunResult run = sampleRun(1024, 768, true, 1.0);
    std::vector<FrameRecord> records;
    for (int i = 0; i < frames; ++i) {
        FrameRecord frame = run.frameRecords[static_cast<size_t>(i % 5)];
        frame.tourTime = i;
        frame.processCpuMs = 2.0;
        seed = seed * 1103515245u + 12345u;
        double scale = drift * (1.0 + 0.02 * static_cast<double>(seed % 1000) / 1000.0) *
                       (1.0 + 0.1 * (i % 7));
        for (double& ms : frame.passMs) {
            ms *= scale;
        }
        for (double* ms : {&frame.gpuMs, &frame.wallMs, &frame.cpuMs, &frame.processCpuMs}) {
            *ms *= scale;
        }
        records.push_back(frame);
    }
    setFrameRecords(run, records);
    return run;
}

std::string compareRounds(const std::vector<ReportFile>& base,
                          const std::vector<ReportFile>& next) {
    std::string error;
    std::optional<ReportFile> a = mergeReports(base, error);
    std::optional<ReportFile> b = mergeReports(next, error);
    EXPECT_TRUE(a && b) << error;
    return a && b ? formatComparison(*a, *b, base, next) : "";
}

size_t count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

} // namespace

// One build against itself while the machine slows down run after run (BASE 1, NEW 1, BASE 2,
// ... each 6 % slower than the one before, so every NEW round is slower than its BASE round and
// the merged NEW is 6 % slower): the spread between a side's own rounds shows it is drift. A
// build whose every sample is doubled is beyond noise in every row that has pairs.
TEST(BenchCompareTest, DriftBetweenInterleavedRoundsIsNoChangeButADoubledBuildIsEverywhere) {
    std::vector<ReportFile> base;
    std::vector<ReportFile> same;
    std::vector<ReportFile> doubled;
    for (int round = 0; round < 3; ++round) {
        base.push_back(reportOf({driftedRun(40, 1.0 + 0.12 * round, 7u + round)}));
        same.push_back(reportOf({driftedRun(40, 1.06 + 0.12 * round, 90u + round)}));
        RunResult twice = driftedRun(40, 2.0 * (1.0 + 0.12 * round), 7u + round);
        doubled.push_back(reportOf({twice}));
    }
    std::string itself = compareRounds(base, same);
    EXPECT_EQ(count(itself, "| yes"), 0u) << itself;
    EXPECT_EQ(count(itself, "| no |"), 10u) << itself; // every row but SSAO, which did not run
    EXPECT_NE(itself.find("3 interleaved rounds per side"), std::string::npos) << itself;
    // the first round alone cannot see the drift and takes the 6 % for a change
    EXPECT_GT(count(formatComparison(base[0], same[0]), "| yes, slower |"), 0u);

    std::string twice = compareRounds(base, doubled);
    EXPECT_EQ(count(twice, "| yes, slower |"), 10u) << twice;

    // five pairs cannot reach the level at all, whatever the change: the table says so
    std::string few =
        formatComparison(reportOf({driftedRun(5, 1.0, 1u)}), reportOf({driftedRun(5, 2.0, 1u)}));
    std::string tooFew =
        "| too few pairs (5; " + std::to_string(pairsNeeded(kNoiseLevel / 10)) + " needed) |";
    EXPECT_EQ(count(few, tooFew), 10u) << few;
    EXPECT_GT(pairsNeeded(kNoiseLevel / 10), 5);
    EXPECT_EQ(pairsNeeded(0.07), 5); // two-sided p of five pairs all one way: about 0.06
}

TEST(BenchCompareTest, ReportsOfDifferentRunsSizesSwitchesOrFramesAreRefused) {
    RunResult base = sampleRun(1024, 768, true, 1.0);
    RunResult otherSize = sampleRun(640, 480, true, 1.0);
    RunResult otherSwitch = base;
    otherSwitch.settings.switches["ssao"] = 0;
    RunResult otherFrames = base;
    std::vector<FrameRecord> shifted = base.frameRecords;
    shifted[2].tourTime += 0.5;
    setFrameRecords(otherFrames, shifted);
    RunResult failed = base;
    failed.ok = false;

    EXPECT_NE(compareMismatch(reportOf({base}), reportOf({base, base})).find("numbers of runs"),
              std::string::npos);
    EXPECT_NE(compareMismatch(reportOf({base}), reportOf({otherSize})).find("640x480"),
              std::string::npos);
    EXPECT_NE(compareMismatch(reportOf({base}), reportOf({otherSwitch})).find("switch states"),
              std::string::npos);
    // a tunable one report lacks matches either value (a build from before it), two must agree
    RunResult otherTunable = base;
    otherTunable.settings.tunables["exposure"] = 2.5f;
    EXPECT_EQ(compareMismatch(reportOf({base}), reportOf({otherTunable})), "");
    base.settings.tunables["exposure"] = 1.8f;
    EXPECT_NE(compareMismatch(reportOf({base}), reportOf({otherTunable})).find("tunable values"),
              std::string::npos);
    EXPECT_NE(compareMismatch(reportOf({base}), reportOf({otherFrames})).find("tour frames"),
              std::string::npos);
    EXPECT_NE(compareMismatch(reportOf({base}), reportOf({failed})).find("failed"),
              std::string::npos);

    // merging the reports of one side keeps every frame's fastest value
    RunResult faster = sampleRun(1024, 768, true, 0.5);
    std::string error;
    std::optional<ReportFile> merged = mergeReports({reportOf({base}), reportOf({faster})}, error);
    ASSERT_TRUE(merged) << error;
    EXPECT_DOUBLE_EQ(merged->runs[0].wallFrame.median, 37.5);
    EXPECT_FALSE(mergeReports({reportOf({base}), reportOf({otherSize})}, error));
}

// A build from before the anti-aliasing pass writes neither the switch nor the pass: its report
// still reads, compares with a run that anti-aliases (the whole frame paired, the pass shown on
// its side only), while two runs that both know the switch must agree on it.
TEST(BenchCompareTest, ReportsWithoutAntiAliasingCompareWithEitherState) {
    RunResult current = sampleRun(640, 480, true, 1.0);
    json old = json::parse(formatJsonReport(sampleEnvironment(), {current}, std::nullopt));
    old["runs"][0]["settings"].erase("aa");
    for (json& sample : old["runs"][0]["samples"]) {
        sample["passesMs"].erase("antiAliasing");
    }
    std::string error;
    std::optional<ReportFile> earlier = parseJsonReport(old.dump(), error);
    ASSERT_TRUE(earlier) << error;
    EXPECT_EQ(earlier->runs[0].settings.switches.count("aa"), 0u);
    EXPECT_EQ(earlier->runs[0].passes[static_cast<int>(FramePass::AntiAliasing)].count, 0);

    RunResult aaOff = current;
    aaOff.settings.switches["aa"] = 0;
    EXPECT_EQ(compareMismatch(*earlier, reportOf({current})), "");
    EXPECT_EQ(compareMismatch(*earlier, reportOf({aaOff})), "");
    EXPECT_NE(compareMismatch(reportOf({aaOff}), reportOf({current})).find("switch states"),
              std::string::npos);
    std::string table = formatComparison(*earlier, reportOf({current}));
    EXPECT_NE(table.find("| anti-aliasing | off | 21.0 | | | |"), std::string::npos) << table;
}

TEST(BenchCompareTest, BadInputFilesGiveOneLineNamingTheFile) {
    ScratchDirectory scratch;
    const std::filesystem::path directory = scratch.path;
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(directory / name) << text;
        return (directory / name).string();
    };
    std::string good =
        write("good.json", formatJsonReport(sampleEnvironment(), {sampleRun(640, 480, true, 1.0)},
                                            std::nullopt));
    json negative = json::parse(std::ifstream(good));
    negative["runs"][0]["samples"][1]["wallMs"] = -3.0;
    json noSamples = json::parse(std::ifstream(good));
    noSamples["runs"][0].erase("samples");
    json wrongKind = json::parse(std::ifstream(good));
    wrongKind["runs"][0]["settings"]["bloom"] = "yes";
    const std::vector<std::string> bad = {
        (directory / "missing.json").string(),
        write("text.json", "not json {"),
        write("other.json", R"({"tool": "something else", "runs": []})"),
        write("truncated.json",
              formatJsonReport(sampleEnvironment(), {sampleRun(640, 480, true, 1.0)}, std::nullopt)
                  .substr(0, 300)),
        write("negative.json", negative.dump()),
        write("nosamples.json", noSamples.dump()),
        write("wrongkind.json", wrongKind.dump()),
        write("bigger.json", formatJsonReport(sampleEnvironment(),
                                              {sampleRun(1024, 768, true, 1.0)}, std::nullopt)),
    };
    for (const std::string& path : bad) {
        for (const auto& [base, next] : {std::pair(path, good), std::pair(good, path)}) {
            std::string output;
            std::string error;
            EXPECT_EQ(runCompare(base, next, output, error), 1) << path;
            EXPECT_TRUE(output.empty());
            EXPECT_EQ(error.find('\n'), std::string::npos) << error;
            EXPECT_NE(error.find(path), std::string::npos) << error;
        }
    }
    std::string output;
    std::string error;
    EXPECT_EQ(runCompare(good + "," + good, good, output, error), 0) << error;
}

TEST(BenchEnvironmentTest, CommandLineQuotingAndCpuModel) {
    EXPECT_EQ(shellCommandLine({"cathedral-bench", "--json", "a b.json", "it's", "--dt=0.5"}),
              "cathedral-bench --json 'a b.json' 'it'\\''s' --dt=0.5");
    EXPECT_EQ(cpuModelName("processor\t: 0\nmodel name\t: AMD EPYC 7B13\nmodel name\t: x\n"),
              "AMD EPYC 7B13");
    EXPECT_EQ(cpuModelName("processor\t: 0\n"), "unknown");
}

TEST(ProgressBarTest, TheFullBarIsDrawnOnceAndEndsTheLine) {
    ProgressBar progress(4, "", false);
    std::string drawn;
    for (int done = 0; done <= 4; ++done) {
        drawn += progress.redraw(done);
    }
    drawn += progress.finished();
    drawn += progress.finished();
    EXPECT_EQ(drawn.find("100%"), drawn.rfind("100%")) << drawn;
    EXPECT_NE(drawn.find("100%"), std::string::npos) << drawn;
    EXPECT_EQ(drawn.back(), '\n');
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\n'), 1);
}

TEST(ProgressBarTest, FormatClampsAndFillsInProportion) {
    EXPECT_EQ(formatProgress(5, 10, 10, "x"), "[#####     ]  50%  5/10 frames  x");
    EXPECT_EQ(formatProgress(20, 10, 4, ""), "[####] 100%  10/10 frames");
    EXPECT_EQ(formatProgress(-3, 10, 4, ""), "[    ]   0%  0/10 frames");
    EXPECT_EQ(formatProgress(0, 0, 4, ""), "[####] 100%  0/0 frames");
}
