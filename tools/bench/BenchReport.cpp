// BenchReport: summaries of the samples, then the same numbers as markdown, CSV and JSON, and
// the JSON read back.
#include "BenchReport.h"

#include "app/KeyControls.h"
#include "gpu/Tunables.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

using nlohmann::json;
using nlohmann::ordered_json;

namespace {

const char* const kFrameRowLabels[] = {"frame (GPU)", "frame (wall)", "CPU, main thread",
                                       "CPU, all threads"};
constexpr size_t kRowCount = kFramePassCount + 4;

std::string formatMs(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string formatRatio(double value, double baseline) {
    if (baseline <= 0.0) {
        return "";
    }
    char text[32];
    std::snprintf(text, sizeof text, " (%.2fx)", value / baseline);
    return text;
}

std::string onOff(bool flag) {
    return flag ? "on" : "off";
}

// A bench name in the report's spelling: "light-mode" -> "lightMode".
std::string reportKey(const char* benchName) {
    std::string key;
    for (const char* c = benchName; *c != '\0'; ++c) {
        if (*c == '-' && c[1] != '\0') {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(*++c)));
        } else {
            key += *c;
        }
    }
    return key;
}

// "bump on, ..., light mode 0, aa none": every bench switch, "none" where the run lacks it.
std::string switchesText(const RunSettings& s) {
    std::string text;
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (!keySwitch.benchName) {
            continue;
        }
        std::string name = keySwitch.benchName;
        std::replace(name.begin(), name.end(), '-', ' ');
        auto state = s.switches.find(keySwitch.benchName);
        std::string value = state == s.switches.end() ? "none"
                            : keySwitch.isOnOff()     ? onOff(state->second != 0)
                                                      : std::to_string(state->second);
        text += (text.empty() ? "" : ", ") + name + " " + value;
    }
    return text;
}

// "; tunables exposure 2.10, ssao-radius 0.50": those away from their start value, if any.
std::string changedTunablesText(const RunSettings& s) {
    std::string text;
    for (const auto& [name, value] : s.tunables) {
        const Tunable* tunable = findTunable(name);
        if (tunable == nullptr || value != tunable->start) {
            std::string shown = tunable ? tunableText(*tunable, value) : std::to_string(value);
            text += (text.empty() ? "; tunables " : ", ") + name + " " + shown;
        }
    }
    return text;
}

std::string settingsLine(const RunSettings& s) {
    char range[96];
    std::snprintf(range, sizeof range, "tour %.2f-%.2f s at dt %.3g s", s.from, s.to, s.timeStep);
    std::string repeats =
        s.repeats > 1 ? ", fastest of " + std::to_string(s.repeats) + " repeats" : "";
    return "view " + std::string(debugViewName(s.view)) + "; " + range + repeats + "; " +
           switchesText(s) + ", cube maps " + (s.updateShadowMaps ? "every frame" : "static") +
           changedTunablesText(s);
}

std::string startupLine(const StartupTimes& t) {
    return "start-up ms: window " + formatMs(t.window) + ", shaders " + formatMs(t.shaders) +
           ", scene " + formatMs(t.scene) + ", renderer " + formatMs(t.renderer) + ", total " +
           formatMs(t.total());
}

const Summary& rowSummary(const RunResult& run, size_t row) {
    if (row < kFramePassCount) {
        return run.passes[row];
    }
    const Summary* frameRows[] = {&run.gpuFrame, &run.wallFrame, &run.cpuFrame,
                                  &run.processCpuFrame};
    return *frameRows[row - kFramePassCount];
}

void summarizeSamples(const RunSamples& samples, RunResult& result) {
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        result.passes[pass] = summarize(samples.pass[pass]);
    }
    result.gpuFrame = summarize(samples.gpuFrame);
    result.wallFrame = summarize(samples.wallFrame);
    result.cpuFrame = summarize(samples.cpuFrame);
    result.processCpuFrame = summarize(samples.processCpuFrame);
    result.frames = static_cast<int>(samples.wallFrame.size());
}

double smaller(double a, double b, bool haveA) {
    return haveA ? std::min(a, b) : b;
}

void keepFaster(FrameRecord& fastest, const FrameRecord& frame) {
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        if (frame.passRan[pass]) {
            fastest.passMs[pass] =
                smaller(fastest.passMs[pass], frame.passMs[pass], fastest.passRan[pass]);
            fastest.passRan[pass] = true;
        }
    }
    if (frame.gpuKnown) {
        fastest.gpuMs = smaller(fastest.gpuMs, frame.gpuMs, fastest.gpuKnown);
        fastest.gpuKnown = true;
    }
    fastest.wallMs = std::min(fastest.wallMs, frame.wallMs);
    fastest.cpuMs = std::min(fastest.cpuMs, frame.cpuMs);
    fastest.processCpuMs = std::min(fastest.processCpuMs, frame.processCpuMs);
}

} // namespace

bool sameConfiguration(const RunSettings& a, const RunSettings& b) {
    for (const auto& [name, state] : a.switches) {
        auto other = b.switches.find(name);
        if (other != b.switches.end() && other->second != state) {
            return false;
        }
    }
    for (const auto& [name, value] : a.tunables) {
        auto other = b.tunables.find(name);
        if (other != b.tunables.end() && other->second != value) {
            return false;
        }
    }
    return a.width == b.width && a.height == b.height && a.updateShadowMaps == b.updateShadowMaps &&
           a.view == b.view;
}

double RunResult::fps() const {
    return wallFrame.count > 0 && wallFrame.median > 0.0 ? 1000.0 / wallFrame.median : 0.0;
}

double RunResult::cpuShare() const {
    return wallFrame.count > 0 && wallFrame.median > 0.0 ? cpuFrame.median / wallFrame.median : 0.0;
}

void setFrameRecords(RunResult& run, std::vector<FrameRecord> frames) {
    run.frameRecords = std::move(frames);
    summarizeSamples(samplesOf(run.frameRecords), run);
}

std::vector<FrameRecord> fastestOfRepeats(const std::vector<std::vector<FrameRecord>>& repeats) {
    if (repeats.empty()) {
        return {};
    }
    size_t frames = repeats.front().size();
    for (const std::vector<FrameRecord>& repeat : repeats) {
        frames = std::min(frames, repeat.size());
    }
    std::vector<FrameRecord> fastest(repeats.front().begin(),
                                     repeats.front().begin() + static_cast<long>(frames));
    for (size_t r = 1; r < repeats.size(); ++r) {
        for (size_t i = 0; i < frames; ++i) {
            keepFaster(fastest[i], repeats[r][i]);
        }
    }
    return fastest;
}

RunSamples samplesOf(const std::vector<FrameRecord>& frames) {
    RunSamples samples;
    for (const FrameRecord& frame : frames) {
        for (int pass = 0; pass < kFramePassCount; ++pass) {
            if (frame.passRan[pass]) {
                samples.pass[pass].push_back(frame.passMs[pass]);
            }
        }
        if (frame.gpuKnown) {
            samples.gpuFrame.push_back(frame.gpuMs);
        }
        samples.wallFrame.push_back(frame.wallMs);
        samples.cpuFrame.push_back(frame.cpuMs);
        samples.processCpuFrame.push_back(frame.processCpuMs);
    }
    return samples;
}

std::string runLabel(const RunResult& result) {
    return std::to_string(result.settings.width) + "x" + std::to_string(result.settings.height) +
           (result.settings.updateShadowMaps ? "" : " static");
}

std::vector<std::string> tableRowLabels() {
    std::vector<std::string> labels;
    for (const FramePassName& name : kFramePassNames) {
        labels.push_back(name.label);
    }
    labels.insert(labels.end(), std::begin(kFrameRowLabels), std::end(kFrameRowLabels));
    return labels;
}

bool rowSample(const FrameRecord& frame, size_t row, double& ms) {
    if (row < kFramePassCount) {
        ms = frame.passMs[row];
        return frame.passRan[row];
    }
    const double values[] = {frame.gpuMs, frame.wallMs, frame.cpuMs, frame.processCpuMs};
    ms = values[row - kFramePassCount];
    return row != kFramePassCount || frame.gpuKnown;
}

std::string formatRunTable(const RunResult& run) {
    std::ostringstream out;
    out << "cathedral-bench " << runLabel(run) << ": " << run.frames
        << (run.frames == 1 ? " frame; " : " frames; ") << settingsLine(run.settings) << "\n"
        << formatGlContext(run.context) << "\n"
        << startupLine(run.startup) << "\n\n"
        << "| " << runLabel(run) << " | median ms | p90 | p95 | p99 | max | sd |\n"
        << "|---|---:|---:|---:|---:|---:|---:|\n";
    std::vector<std::string> labels = tableRowLabels();
    for (size_t row = 0; row < kRowCount; ++row) {
        const Summary& s = rowSummary(run, row);
        out << "| " << labels[row];
        if (s.count == 0) {
            out << " | off | | | | | |\n";
            continue;
        }
        for (double value : {s.median, s.p90, s.p95, s.p99, s.max, s.stddev}) {
            out << " | " << formatMs(value);
        }
        out << " |\n";
    }
    char tail[96];
    std::snprintf(tail, sizeof tail,
                  "| fps | %.2f | | | | | |\n| CPU share | %.1f %% | | | | | |\n", run.fps(),
                  run.cpuShare() * 100.0);
    out << tail;
    return out.str();
}

std::string formatSweepTable(const std::vector<RunResult>& runs, size_t baseline) {
    std::ostringstream out;
    const RunResult* base = baseline < runs.size() ? &runs[baseline] : nullptr;
    out << "| median ms (ratio to " << (base ? runLabel(*base) : std::string("-")) << ") |";
    for (const RunResult& run : runs) {
        out << " " << runLabel(run) << " |";
    }
    out << "\n|---|";
    for (size_t i = 0; i < runs.size(); ++i) {
        out << "---:|";
    }
    out << "\n";
    std::vector<std::string> labels = tableRowLabels();
    for (size_t row = 0; row < kRowCount; ++row) {
        out << "| " << labels[row] << " |";
        for (const RunResult& run : runs) {
            const Summary& summary = rowSummary(run, row);
            if (summary.count == 0) {
                out << " off |";
                continue;
            }
            double reference = base ? rowSummary(*base, row).median : 0.0;
            out << " " << formatMs(summary.median) << formatRatio(summary.median, reference)
                << " |";
        }
        out << "\n";
    }
    out << "| fps |";
    for (const RunResult& run : runs) {
        char text[32];
        std::snprintf(text, sizeof text, " %.2f |", run.fps());
        out << text;
    }
    out << "\n| start-up ms |";
    for (const RunResult& run : runs) {
        out << " " << formatMs(run.startup.total()) << " |";
    }
    out << "\n| framebuffer |";
    for (const RunResult& run : runs) {
        out << " " << run.context.framebufferWidth << "x" << run.context.framebufferHeight << " |";
    }
    out << "\n";
    if (!runs.empty()) {
        out << "\n"
            << settingsLine(runs.front().settings) << "\n"
            << formatGlContext(runs.front().context) << "\n";
    }
    return out.str();
}

std::string formatCsvReport(const std::vector<RunResult>& runs) {
    std::ostringstream out;
    out << "width,height,updateShadowMaps,frame,tourTime";
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        out << "," << PassTimer::name(static_cast<FramePass>(pass));
    }
    out << ",frameGpu,frameWall,cpu,processCpu\n";
    for (const RunResult& run : runs) {
        for (size_t i = 0; i < run.frameRecords.size(); ++i) {
            const FrameRecord& frame = run.frameRecords[i];
            out << run.settings.width << "," << run.settings.height << ","
                << (run.settings.updateShadowMaps ? 1 : 0) << "," << i << "," << frame.tourTime;
            for (size_t row = 0; row < kRowCount; ++row) {
                double ms = 0.0;
                out << ",";
                if (rowSample(frame, row, ms)) {
                    char text[32];
                    std::snprintf(text, sizeof text, "%.4f", ms);
                    out << text;
                }
            }
            out << "\n";
        }
    }
    return out.str();
}

namespace {

ordered_json summaryToJson(const Summary& s) {
    ordered_json out = {{"count", s.count}};
    const std::pair<const char*, double> fields[] = {
        {"median", s.median}, {"p90", s.p90}, {"p95", s.p95}, {"p99", s.p99},
        {"mean", s.mean},     {"min", s.min}, {"max", s.max}, {"stddev", s.stddev}};
    for (const auto& [name, number] : fields) {
        out[name] = s.count > 0 ? ordered_json(number) : ordered_json(nullptr);
    }
    return out;
}

// Every bench switch under its report key: a boolean for on/off, the state number for a cycle,
// null where the run lacks it.
ordered_json settingsToJson(const RunSettings& s) {
    ordered_json out;
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (keySwitch.benchName) {
            auto state = s.switches.find(keySwitch.benchName);
            out[reportKey(keySwitch.benchName)] = state == s.switches.end() ? ordered_json()
                                                  : keySwitch.isOnOff()
                                                      ? ordered_json(state->second != 0)
                                                      : ordered_json(state->second);
        }
    }
    out["updateShadowMaps"] = s.updateShadowMaps;
    out["timeStep"] = s.timeStep;
    out["repeats"] = s.repeats;
    out["from"] = s.from;
    out["to"] = s.to;
    out["view"] = debugViewArgument(s.view);
    out["tunables"] = s.tunables;
    return out;
}

ordered_json contextToJson(const GlContextInfo& c) {
    return {{"vendor", c.vendor},
            {"renderer", c.renderer},
            {"version", c.version},
            {"platform", c.platform},
            {"eglVendor", c.eglVendor},
            {"windowWidth", c.windowWidth},
            {"windowHeight", c.windowHeight},
            {"framebufferWidth", c.framebufferWidth},
            {"framebufferHeight", c.framebufferHeight},
            {"swapInterval", c.swapInterval},
            {"vsync", c.swapInterval != 0}};
}

ordered_json optionalMs(bool known, double ms) {
    return known ? ordered_json(ms) : ordered_json(nullptr);
}

ordered_json frameToJson(const FrameRecord& frame) {
    ordered_json passes = ordered_json::object();
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        passes[PassTimer::name(static_cast<FramePass>(pass))] =
            optionalMs(frame.passRan[pass], frame.passMs[pass]);
    }
    return {{"tourTime", frame.tourTime},
            {"passesMs", passes},
            {"gpuMs", optionalMs(frame.gpuKnown, frame.gpuMs)},
            {"wallMs", frame.wallMs},
            {"cpuMs", frame.cpuMs},
            {"processCpuMs", frame.processCpuMs}};
}

ordered_json ratio(const Summary& value, const Summary& base) {
    if (value.count > 0 && base.count > 0 && base.median > 0.0) {
        return value.median / base.median;
    }
    return nullptr;
}

} // namespace

ordered_json runToJson(const RunResult& run, const RunResult* baseline) {
    ordered_json out = {{"label", runLabel(run)},
                        {"ok", run.ok},
                        {"width", run.settings.width},
                        {"height", run.settings.height},
                        {"settings", settingsToJson(run.settings)},
                        {"context", contextToJson(run.context)},
                        {"frames", run.frames},
                        {"captures", run.captures},
                        {"startupMs",
                         {{"window", run.startup.window},
                          {"shaders", run.startup.shaders},
                          {"scene", run.startup.scene},
                          {"renderer", run.startup.renderer},
                          {"total", run.startup.total()}}}};
    ordered_json passes = ordered_json::object();
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        passes[PassTimer::name(static_cast<FramePass>(pass))] = summaryToJson(run.passes[pass]);
    }
    out["passesMs"] = passes;
    out["frameGpuMs"] = summaryToJson(run.gpuFrame);
    out["frameWallMs"] = summaryToJson(run.wallFrame);
    out["cpuMs"] = summaryToJson(run.cpuFrame);
    out["processCpuMs"] = summaryToJson(run.processCpuFrame);
    out["fps"] = run.fps();
    out["cpuShare"] = run.cpuShare();
    if (baseline) {
        ordered_json ratios = {{"frameWall", ratio(run.wallFrame, baseline->wallFrame)},
                               {"frameGpu", ratio(run.gpuFrame, baseline->gpuFrame)}};
        for (int pass = 0; pass < kFramePassCount; ++pass) {
            ratios[PassTimer::name(static_cast<FramePass>(pass))] =
                ratio(run.passes[pass], baseline->passes[pass]);
        }
        out["ratioToBaseline"] = ratios;
    }
    ordered_json samples = ordered_json::array();
    for (const FrameRecord& frame : run.frameRecords) {
        samples.push_back(frameToJson(frame));
    }
    out["samples"] = samples;
    return out;
}

std::string formatJsonReport(const BenchEnvironment& e, const std::vector<RunResult>& runs,
                             std::optional<size_t> baseline) {
    const RunResult* base = baseline && *baseline < runs.size() ? &runs[*baseline] : nullptr;
    ordered_json report = {{"tool", "cathedral-bench"},
                           {"environment",
                            {{"commandLine", e.commandLine},
                             {"date", e.date},
                             {"buildType", e.buildType},
                             {"commit", e.commit},
                             {"cpuModel", e.cpuModel},
                             {"cpuCores", e.cpuCores}}},
                           {"runs", ordered_json::array()}};
    for (const RunResult& run : runs) {
        report["runs"].push_back(runToJson(run, base));
    }
    if (base) {
        report["baseline"] = *baseline;
    }
    return report.dump(2) + "\n";
}

namespace {

// A time in milliseconds or seconds as the report may hold it: finite and not negative.
bool readTime(const json& value, double& target) {
    if (!value.is_number()) {
        return false;
    }
    target = value.get<double>();
    return std::isfinite(target) && target >= 0.0;
}

// A time that may be null (not measured); `known` says which.
bool readOptionalTime(const json& value, double& target, bool& known) {
    known = !value.is_null();
    return !known || readTime(value, target);
}

std::string readFrame(const json& sample, FrameRecord& frame) {
    bool ok = readTime(sample.at("tourTime"), frame.tourTime) &&
              readOptionalTime(sample.at("gpuMs"), frame.gpuMs, frame.gpuKnown) &&
              readTime(sample.at("wallMs"), frame.wallMs) &&
              readTime(sample.at("cpuMs"), frame.cpuMs) &&
              readTime(sample.at("processCpuMs"), frame.processCpuMs);
    // A pass the report's build did not have counts as not run.
    const json& passes = sample.at("passesMs");
    for (int pass = 0; pass < kFramePassCount && ok; ++pass) {
        auto found = passes.find(PassTimer::name(static_cast<FramePass>(pass)));
        ok = found == passes.end() ||
             readOptionalTime(*found, frame.passMs[pass], frame.passRan[pass]);
    }
    return ok ? "" : "a sample holds a time that is not a number of 0 or more";
}

void readSettings(const json& s, RunSettings& settings) {
    // A switch absent or null was not in the build that wrote the report.
    for (const KeySwitch& keySwitch : keySwitches()) {
        auto state = keySwitch.benchName ? s.find(reportKey(keySwitch.benchName)) : s.end();
        if (state != s.end() && !state->is_null()) {
            settings.switches[keySwitch.benchName] =
                keySwitch.isOnOff() ? (state->get<bool>() ? 1 : 0) : state->get<int>();
        }
    }
    s.at("updateShadowMaps").get_to(settings.updateShadowMaps);
    s.at("timeStep").get_to(settings.timeStep);
    s.at("repeats").get_to(settings.repeats);
    s.at("from").get_to(settings.from);
    s.at("to").get_to(settings.to);
    // Reports from before the view was recorded showed the final image.
    auto view = s.find("view");
    settings.view =
        view == s.end()
            ? DebugView::FinalImage
            : debugViewFromArgument(view->get<std::string>()).value_or(DebugView::FinalImage);
    // Reports from before the tunables rendered with the start values.
    settings.tunables = s.value("tunables", std::map<std::string, float>());
}

void readContext(const json& c, GlContextInfo& context) {
    c.at("vendor").get_to(context.vendor);
    c.at("renderer").get_to(context.renderer);
    c.at("version").get_to(context.version);
    // Reports written before headless runs existed name no platform: they ran in a GLX window.
    context.platform = c.value("platform", context.platform);
    context.eglVendor = c.value("eglVendor", context.eglVendor);
    c.at("windowWidth").get_to(context.windowWidth);
    c.at("windowHeight").get_to(context.windowHeight);
    c.at("framebufferWidth").get_to(context.framebufferWidth);
    c.at("framebufferHeight").get_to(context.framebufferHeight);
    c.at("swapInterval").get_to(context.swapInterval);
}

void readStartup(const json& s, StartupTimes& startup) {
    s.at("window").get_to(startup.window);
    s.at("shaders").get_to(startup.shaders);
    s.at("scene").get_to(startup.scene);
    s.at("renderer").get_to(startup.renderer);
}

void readEnvironment(const json& e, BenchEnvironment& environment) {
    e.at("commandLine").get_to(environment.commandLine);
    e.at("date").get_to(environment.date);
    e.at("buildType").get_to(environment.buildType);
    e.at("commit").get_to(environment.commit);
    e.at("cpuModel").get_to(environment.cpuModel);
    e.at("cpuCores").get_to(environment.cpuCores);
}

// nlohmann's messages start with "[json.exception.type_error.302] "; the rest is the reason.
std::string reasonOf(const json::exception& failure) {
    std::string text = failure.what();
    size_t bracket = text.find("] ");
    return bracket == std::string::npos ? text : text.substr(bracket + 2);
}

std::optional<RunResult> readRun(const json& in, std::string& error) {
    RunResult run;
    in.at("ok").get_to(run.ok);
    in.at("width").get_to(run.settings.width);
    in.at("height").get_to(run.settings.height);
    readSettings(in.at("settings"), run.settings);
    readContext(in.at("context"), run.context);
    readStartup(in.at("startupMs"), run.startup);
    in.at("captures").get_to(run.captures);
    const json& samples = in.at("samples");
    if (!samples.is_array()) {
        error = "a run's samples are not a list";
        return std::nullopt;
    }
    std::vector<FrameRecord> frames;
    for (const json& sample : samples) {
        frames.emplace_back();
        error = readFrame(sample, frames.back());
        if (!error.empty()) {
            return std::nullopt;
        }
    }
    if (run.settings.width < 1 || run.settings.height < 1) {
        error = "a run has no size";
        return std::nullopt;
    }
    setFrameRecords(run, std::move(frames));
    return run;
}

} // namespace

std::optional<RunResult> runFromJson(const json& in, std::string& error) {
    try {
        return readRun(in, error);
    } catch (const json::exception& failure) {
        error = reasonOf(failure);
        return std::nullopt;
    }
}

std::optional<ReportFile> parseJsonReport(const std::string& text, std::string& error) {
    json document = json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        error = "not JSON";
        return std::nullopt;
    }
    if (!document.is_object() || document.value("tool", json()) != "cathedral-bench") {
        error = "not a cathedral-bench report";
        return std::nullopt;
    }
    ReportFile report;
    try {
        readEnvironment(document.at("environment"), report.environment);
        const json& runs = document.at("runs");
        if (!runs.is_array()) {
            error = "its runs are not a list";
            return std::nullopt;
        }
        for (const json& run : runs) {
            std::optional<RunResult> parsed = readRun(run, error);
            if (!parsed) {
                return std::nullopt;
            }
            report.runs.push_back(std::move(*parsed));
        }
    } catch (const json::exception& failure) {
        error = reasonOf(failure);
        return std::nullopt;
    }
    if (report.runs.empty()) {
        error = "the report holds no runs";
        return std::nullopt;
    }
    return report;
}

std::optional<size_t> findBaseline(const std::vector<RunResult>& runs, int width, int height) {
    for (size_t i = 0; i < runs.size(); ++i) {
        const RunSettings& s = runs[i].settings;
        if (s.width == width && s.height == height && s.updateShadowMaps) {
            return i;
        }
    }
    return std::nullopt;
}
