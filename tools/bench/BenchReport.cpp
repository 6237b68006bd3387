// BenchReport: summaries of the samples, then the same numbers as markdown and as JSON.
#include "BenchReport.h"

#include "JsonWriter.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

const char* const kPassLabels[kFramePassCount] = {"shadow maps", "geometry", "SSAO",
                                                  "lighting",    "forward",  "bloom"};

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

std::string settingsLine(const RunSettings& s) {
    char range[96];
    std::snprintf(range, sizeof range, "tour %.2f-%.2f s at dt %.3g s", s.from, s.to, s.timeStep);
    std::string repeats =
        s.repeats > 1 ? ", fastest of " + std::to_string(s.repeats) + " repeats" : "";
    return std::string(range) + repeats + "; bump " + onOff(s.bump) + ", bloom " + onOff(s.bloom) +
           ", ssao " + onOff(s.ssao) + ", transparent " + onOff(s.transparent) + ", omni " +
           onOff(s.omni) + ", colored " + onOff(s.colored) + ", light mode " +
           std::to_string(s.lightMode) + ", cube maps " +
           (s.updateShadowMaps ? "every frame" : "static");
}

std::string startupLine(const StartupTimes& t) {
    return "start-up ms: window " + formatMs(t.window) + ", shaders " + formatMs(t.shaders) +
           ", scene " + formatMs(t.scene) + ", renderer " + formatMs(t.renderer) + ", total " +
           formatMs(t.total());
}

// The rows every table has, in order, with the summary each row shows.
struct Row {
    std::string label;
    Summary RunResult::*summary;
    int pass; // index into RunResult::passes when summary is null
};

std::vector<Row> tableRows() {
    std::vector<Row> rows;
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        rows.push_back({kPassLabels[pass], nullptr, pass});
    }
    rows.push_back({"frame (GPU)", &RunResult::gpuFrame, -1});
    rows.push_back({"frame (wall)", &RunResult::wallFrame, -1});
    rows.push_back({"CPU", &RunResult::cpuFrame, -1});
    rows.push_back({"CPU, all threads", &RunResult::processCpuFrame, -1});
    return rows;
}

const Summary& rowSummary(const RunResult& run, const Row& row) {
    return row.summary ? run.*(row.summary) : run.passes[row.pass];
}

void writeSummary(JsonWriter& json, const Summary& summary) {
    json.beginObject().member("count", summary.count);
    const std::pair<const char*, double> fields[] = {{"median", summary.median},
                                                     {"p90", summary.p90},
                                                     {"mean", summary.mean},
                                                     {"min", summary.min},
                                                     {"max", summary.max}};
    for (const auto& [name, number] : fields) {
        json.key(name);
        if (summary.count > 0) {
            json.value(number);
        } else {
            json.null();
        }
    }
    json.endObject();
}

void writeSettings(JsonWriter& json, const RunSettings& s) {
    json.beginObject()
        .member("bump", s.bump)
        .member("bloom", s.bloom)
        .member("ssao", s.ssao)
        .member("transparent", s.transparent)
        .member("omni", s.omni)
        .member("colored", s.colored)
        .member("lightMode", s.lightMode)
        .member("updateShadowMaps", s.updateShadowMaps)
        .member("timeStep", s.timeStep)
        .member("repeats", s.repeats)
        .member("from", s.from)
        .member("to", s.to)
        .endObject();
}

void writeRatio(JsonWriter& json, const char* name, const Summary& value, const Summary& base) {
    json.key(name);
    if (value.count > 0 && base.count > 0 && base.median > 0.0) {
        json.value(value.median / base.median);
    } else {
        json.null();
    }
}

void writeRun(JsonWriter& json, const RunResult& run, const RunResult* baseline) {
    json.beginObject()
        .member("label", runLabel(run))
        .member("ok", run.ok)
        .member("width", run.settings.width)
        .member("height", run.settings.height);
    json.key("settings");
    writeSettings(json, run.settings);
    json.member("frames", run.frames).member("captures", run.captures);
    json.key("startupMs")
        .beginObject()
        .member("window", run.startup.window)
        .member("shaders", run.startup.shaders)
        .member("scene", run.startup.scene)
        .member("renderer", run.startup.renderer)
        .member("total", run.startup.total())
        .endObject();
    json.key("passesMs").beginObject();
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        json.key(PassTimer::name(static_cast<FramePass>(pass)));
        writeSummary(json, run.passes[pass]);
    }
    json.endObject();
    json.key("frameGpuMs");
    writeSummary(json, run.gpuFrame);
    json.key("frameWallMs");
    writeSummary(json, run.wallFrame);
    json.key("cpuMs");
    writeSummary(json, run.cpuFrame);
    json.key("processCpuMs");
    writeSummary(json, run.processCpuFrame);
    json.member("fps", run.fps()).member("cpuShare", run.cpuShare());
    if (baseline) {
        json.key("ratioToBaseline").beginObject();
        writeRatio(json, "frameWall", run.wallFrame, baseline->wallFrame);
        writeRatio(json, "frameGpu", run.gpuFrame, baseline->gpuFrame);
        for (int pass = 0; pass < kFramePassCount; ++pass) {
            writeRatio(json, PassTimer::name(static_cast<FramePass>(pass)), run.passes[pass],
                       baseline->passes[pass]);
        }
        json.endObject();
    }
    json.endObject();
}

} // namespace

double RunResult::fps() const {
    return wallFrame.count > 0 && wallFrame.median > 0.0 ? 1000.0 / wallFrame.median : 0.0;
}

double RunResult::cpuShare() const {
    return wallFrame.count > 0 && wallFrame.median > 0.0 ? cpuFrame.median / wallFrame.median : 0.0;
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

namespace {

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

std::string formatRunTable(const RunResult& run) {
    std::ostringstream out;
    out << "cathedral-bench " << runLabel(run) << ": " << run.frames << " frames; "
        << settingsLine(run.settings) << "\n"
        << startupLine(run.startup) << "\n\n"
        << "| " << runLabel(run) << " | median ms | p90 ms |\n"
        << "|---|---:|---:|\n";
    for (const Row& row : tableRows()) {
        const Summary& summary = rowSummary(run, row);
        if (summary.count == 0) {
            out << "| " << row.label << " | off | off |\n";
        } else {
            out << "| " << row.label << " | " << formatMs(summary.median) << " | "
                << formatMs(summary.p90) << " |\n";
        }
    }
    char tail[96];
    std::snprintf(tail, sizeof tail, "| fps | %.2f | |\n| CPU share | %.1f %% | |\n", run.fps(),
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
    for (const Row& row : tableRows()) {
        out << "| " << row.label << " |";
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
    out << "\n";
    if (!runs.empty()) {
        out << "\n" << settingsLine(runs.front().settings) << "\n";
    }
    return out.str();
}

std::string formatJsonReport(const std::vector<RunResult>& runs, std::optional<size_t> baseline) {
    const RunResult* base = baseline && *baseline < runs.size() ? &runs[*baseline] : nullptr;
    JsonWriter json;
    json.beginObject().member("tool", "cathedral-bench").key("runs").beginArray();
    for (const RunResult& run : runs) {
        writeRun(json, run, base);
    }
    json.endArray();
    if (base) {
        json.member("baseline", static_cast<int>(*baseline));
    }
    json.endObject();
    return json.text() + "\n";
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
