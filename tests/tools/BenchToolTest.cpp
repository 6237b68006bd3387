// The benchmark tool's own logic without a GL context: the command line, the frame schedule,
// the statistics, the JSON writer and the two report formats.
#include "BenchOptions.h"
#include "BenchReport.h"
#include "FrameSchedule.h"
#include "JsonCheck.h"
#include "JsonWriter.h"
#include "ProgressBar.h"
#include "Statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

ParseResult parse(std::vector<std::string> arguments) {
    return parseBenchOptions(arguments);
}

// A finished run with made-up numbers; SSAO did not run in it.
RunResult sampleRun(int width, int height, bool updateShadowMaps, double scale) {
    RunSamples samples;
    for (int frame = 0; frame < 5; ++frame) {
        for (int pass = 0; pass < kFramePassCount; ++pass) {
            if (pass != static_cast<int>(FramePass::SSAO)) {
                samples.pass[pass].push_back(scale * (pass + 1) * (frame + 1));
            }
        }
        samples.gpuFrame.push_back(scale * 20.0 * (frame + 1));
        samples.wallFrame.push_back(scale * 25.0 * (frame + 1));
        samples.cpuFrame.push_back(1.0);
    }
    RunResult run;
    run.ok = true;
    run.settings.width = width;
    run.settings.height = height;
    run.settings.updateShadowMaps = updateShadowMaps;
    summarizeSamples(samples, run);
    return run;
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
    EXPECT_FALSE(o.switches.bloom.has_value());
    EXPECT_FALSE(o.switches.lightMode.has_value());
    EXPECT_FALSE(o.sweep);
    EXPECT_TRUE(o.captureTimes.empty());
    EXPECT_TRUE(o.jsonPath.empty());
}

TEST(BenchOptionsTest, ReadsEveryOptionInBothSpellings) {
    // clang-format off
    ParseResult result = parse({
        "--size=640x480", "--dt", "0.25", "--from", "10", "--frames=3", "--bump", "0",
        "--bloom=1", "--ssao", "off", "--transparent", "0", "--omni=0", "--colored", "1",
        "--light-mode", "2", "--update-shadow-maps", "0", "--gpu-timer", "0",
        "--capture", "30,5,5,12.5", "--capture-dir", "shots", "--json", "out.json",
        "--no-progress", "--warmup=0", "--repeat", "3"});
    // clang-format on
    ASSERT_TRUE(result.ok) << result.error;
    const BenchOptions& o = result.options;
    EXPECT_EQ(o.size.width, 640);
    EXPECT_EQ(o.size.height, 480);
    EXPECT_DOUBLE_EQ(o.timeStep, 0.25);
    EXPECT_DOUBLE_EQ(o.from, 10.0);
    EXPECT_EQ(o.frames, 3);
    EXPECT_EQ(o.switches.bump, false);
    EXPECT_EQ(o.switches.bloom, true);
    EXPECT_EQ(o.switches.ssao, false);
    EXPECT_EQ(o.switches.transparent, false);
    EXPECT_EQ(o.switches.omni, false);
    EXPECT_EQ(o.switches.colored, true);
    EXPECT_EQ(o.switches.lightMode, 2);
    EXPECT_FALSE(o.updateShadowMaps);
    // sorted, the duplicate dropped
    EXPECT_EQ(o.captureTimes, (std::vector<double>{5.0, 12.5, 30.0}));
    EXPECT_EQ(o.captureDirectory, "shots");
    EXPECT_EQ(o.jsonPath, "out.json");
    EXPECT_FALSE(o.progress);
    EXPECT_EQ(o.warmupFrames, 0);
    EXPECT_FALSE(o.gpuTimer);
    EXPECT_EQ(o.repeats, 3);
}

TEST(BenchOptionsTest, RejectsMalformedValuesNamingTheOption) {
    const std::vector<std::vector<std::string>> invalid = {
        {"--size", "640"},
        {"--size", "640x"},
        {"--size", "0x480"},
        {"--size", "640x480x2"},
        {"--size", "-640x480"},
        {"--size", "99999x480"},
        {"--dt", "0"},
        {"--dt", "-1"},
        {"--dt", "fast"},
        {"--dt", "nan"},
        {"--frames", "0"},
        {"--frames", "2.5"},
        {"--frames", "3x"},
        {"--repeat", "0"},
        {"--repeat", "21"},
        {"--from", "-1"},
        {"--bloom", "yes"},
        {"--bloom", "2"},
        {"--light-mode", "3"},
        {"--light-mode", "-1"},
        {"--update-shadow-maps", ""},
        {"--capture", "5,,7"},
        {"--capture", "-2"},
        {"--capture", "5,x"},
        {"--json", ""},
        {"--sweep-sizes", "640x480,big"},
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
}

TEST(BenchOptionsTest, SweepSizesReplaceTheDefaultsAndImplyTheSweep) {
    ParseResult defaults = parse({"--sweep"});
    ASSERT_TRUE(defaults.ok);
    ASSERT_EQ(defaults.options.sweepSizes.size(), 3u);
    EXPECT_TRUE((defaults.options.sweepSizes[1] == WindowSize{1024, 768}));

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
    EXPECT_DOUBLE_EQ(one.p90, 7.5);

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

    EXPECT_EQ(captureFileName(5.0), "capture_005.00s.png");
    EXPECT_NE(captureFileName(5.0), captureFileName(5.25));
}

TEST(JsonWriterTest, NestedDocumentsAreWellFormed) {
    JsonWriter json;
    json.beginObject().key("a").value(1).key("list").beginArray();
    json.value(1.5).value(true).null().beginObject().endObject().beginArray().endArray();
    json.endArray().key("nested").beginObject().key("x").value("y").endObject().endObject();
    ASSERT_TRUE(json.complete());
    std::optional<JsonValue> parsed = JsonReader::parse(json.text());
    ASSERT_TRUE(parsed) << json.text();
    EXPECT_EQ((*parsed)["list"].items.size(), 5u);
    EXPECT_EQ((*parsed)["nested"]["x"].text, "y");
    EXPECT_DOUBLE_EQ((*parsed)["list"].items[0].number, 1.5);
}

TEST(JsonWriterTest, StringsAreEscapedAndNonFiniteNumbersBecomeNull) {
    std::string awkward = "say \"hi\"\\ \n\t\x01 end";
    JsonWriter json;
    json.beginObject()
        .key(awkward)
        .value(awkward)
        .key("nan")
        .value(std::nan(""))
        .key("inf")
        .value(std::numeric_limits<double>::infinity())
        .key("tiny")
        .value(1e-12)
        .endObject();
    std::optional<JsonValue> parsed = JsonReader::parse(json.text());
    ASSERT_TRUE(parsed) << json.text();
    ASSERT_TRUE(parsed->has(awkward));
    EXPECT_EQ((*parsed)[awkward].text, awkward);
    EXPECT_EQ((*parsed)["nan"].kind, JsonValue::Null);
    EXPECT_EQ((*parsed)["inf"].kind, JsonValue::Null);
    EXPECT_DOUBLE_EQ((*parsed)["tiny"].number, 1e-12);
}

TEST(BenchReportTest, JsonHasEveryPassAndMarksPassesThatDidNotRun) {
    std::optional<JsonValue> parsed =
        JsonReader::parse(formatJsonReport({sampleRun(640, 480, true, 1.0)}, std::nullopt));
    ASSERT_TRUE(parsed);
    ASSERT_EQ((*parsed)["runs"].items.size(), 1u);
    EXPECT_FALSE(parsed->has("baseline"));
    const JsonValue& run = (*parsed)["runs"].items[0];
    EXPECT_FALSE(run.has("ratioToBaseline"));
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        const char* name = PassTimer::name(static_cast<FramePass>(pass));
        ASSERT_TRUE(run["passesMs"].has(name)) << name;
        const JsonValue& summary = run["passesMs"][name];
        if (static_cast<FramePass>(pass) == FramePass::SSAO) {
            EXPECT_EQ(summary["count"].number, 0);
            EXPECT_EQ(summary["median"].kind, JsonValue::Null);
        } else {
            EXPECT_EQ(summary["count"].number, 5);
            EXPECT_DOUBLE_EQ(summary["median"].number, 3.0 * (pass + 1));
        }
    }
    EXPECT_DOUBLE_EQ(run["frameWallMs"]["median"].number, 75.0);
    EXPECT_NEAR(run["fps"].number, 1000.0 / 75.0, 1e-6); // written with 9 digits
    EXPECT_EQ(run["width"].number, 640);
    EXPECT_TRUE(run["settings"].has("lightMode"));
    EXPECT_TRUE(run["startupMs"].has("total"));
}

TEST(BenchReportTest, SweepReportsRatiosToTheBaselineRun) {
    std::vector<RunResult> runs = {sampleRun(640, 480, true, 0.5), sampleRun(1024, 768, true, 1.0),
                                   sampleRun(1024, 768, false, 0.25)};
    std::optional<size_t> baseline = findBaseline(runs, 1024, 768);
    ASSERT_EQ(baseline, 1u); // the static run at the same size is no baseline
    std::optional<JsonValue> parsed = JsonReader::parse(formatJsonReport(runs, baseline));
    ASSERT_TRUE(parsed);
    EXPECT_EQ((*parsed)["baseline"].number, 1);
    const JsonValue& small = (*parsed)["runs"].items[0];
    EXPECT_DOUBLE_EQ(small["ratioToBaseline"]["frameWall"].number, 0.5);
    EXPECT_EQ(small["ratioToBaseline"]["ssao"].kind, JsonValue::Null);
    EXPECT_EQ((*parsed)["runs"].items[2]["label"].text, "1024x768 static");

    std::string table = formatSweepTable(runs, *baseline);
    EXPECT_NE(table.find("| 640x480 | 1024x768 | 1024x768 static |"), std::string::npos) << table;
    EXPECT_NE(table.find("(0.50x)"), std::string::npos);
    EXPECT_NE(table.find("(0.25x)"), std::string::npos);
    EXPECT_NE(table.find("| SSAO | off | off | off |"), std::string::npos) << table;
}

TEST(BenchReportTest, RunTableHasARowPerPassAndTheFrameTotals) {
    std::string table = formatRunTable(sampleRun(1024, 768, true, 1.0));
    for (const char* row : {"| shadow maps | 3.0 | ", "| geometry |", "| SSAO | off |",
                            "| lighting |", "| forward |", "| bloom |", "| frame (GPU) | 60.0 |",
                            "| frame (wall) | 75.0 |", "| CPU | 1.0 |", "| fps | 13.33 |"}) {
        EXPECT_NE(table.find(row), std::string::npos) << row << "\n" << table;
    }
    EXPECT_EQ(runLabel(sampleRun(640, 480, false, 1.0)), "640x480 static");
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
    std::vector<FrameRecord> second = {frame(200, 70, true), frame(110, 55, false)};
    std::vector<FrameRecord> fastest = fastestOfRepeats({first, second});
    ASSERT_EQ(fastest.size(), 2u);
    EXPECT_DOUBLE_EQ(fastest[0].wallMs, 100.0);
    EXPECT_DOUBLE_EQ(fastest[1].wallMs, 110.0);
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

TEST(ProgressBarTest, FormatClampsAndFillsInProportion) {
    EXPECT_EQ(formatProgress(5, 10, 10, "x"), "[#####     ]  50%  5/10 frames  x");
    EXPECT_EQ(formatProgress(20, 10, 4, ""), "[####] 100%  10/10 frames");
    EXPECT_EQ(formatProgress(-3, 10, 4, ""), "[    ]   0%  0/10 frames");
    EXPECT_EQ(formatProgress(0, 0, 4, ""), "[####] 100%  0/0 frames");
}
