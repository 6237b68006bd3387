// BenchCompare: reports are checked for the same runs and frames before any number is paired.
#include "BenchCompare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// Tour times closer than this are the same frame.
constexpr double kSameTime = 1e-6;

std::vector<std::string> splitPaths(const std::string& list) {
    std::vector<std::string> paths;
    std::stringstream in(list);
    std::string path;
    while (std::getline(in, path, ',')) {
        paths.push_back(path);
    }
    return paths;
}

std::optional<ReportFile> loadReport(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (path.empty() || !file) {
        error = "cannot read " + (path.empty() ? std::string("an empty file name") : path);
        return std::nullopt;
    }
    std::stringstream text;
    text << file.rdbuf();
    std::string reason;
    std::optional<ReportFile> report = parseJsonReport(text.str(), reason);
    if (!report) {
        error = path + " is not a cathedral-bench report with samples (" + reason + ")";
    }
    return report;
}

bool sameTourTimes(const RunResult& a, const RunResult& b) {
    if (a.frameRecords.size() != b.frameRecords.size()) {
        return false;
    }
    for (size_t i = 0; i < a.frameRecords.size(); ++i) {
        if (std::fabs(a.frameRecords[i].tourTime - b.frameRecords[i].tourTime) > kSameTime) {
            return false;
        }
    }
    return true;
}

std::string runMismatch(const RunResult& a, const RunResult& b, size_t index) {
    std::string which = "run " + std::to_string(index + 1) + " ";
    if (a.settings.width != b.settings.width || a.settings.height != b.settings.height) {
        return which + "is " + runLabel(a) + " in one and " + runLabel(b) + " in the other";
    }
    if (!sameConfiguration(a.settings, b.settings)) {
        return which + "(" + runLabel(a) + ") has different switch states";
    }
    if (!a.ok || !b.ok) {
        return which + "(" + runLabel(a) + ") failed and measured nothing";
    }
    if (!sameTourTimes(a, b)) {
        return which + "(" + runLabel(a) +
               ") rendered different tour frames (--from, --to, --dt "
               "or --frames differ)";
    }
    return "";
}

std::string formatMs(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The paired samples of one table row: frames where both runs have a value.
void pairRow(const RunResult& base, const RunResult& next, size_t row, std::vector<double>& a,
             std::vector<double>& b) {
    for (size_t i = 0; i < base.frameRecords.size(); ++i) {
        double baseMs = 0.0;
        double nextMs = 0.0;
        if (rowSample(base.frameRecords[i], row, baseMs) &&
            rowSample(next.frameRecords[i], row, nextMs)) {
            a.push_back(baseMs);
            b.push_back(nextMs);
        }
    }
}

std::string verdict(const std::vector<double>& a, const std::vector<double>& b, double pValue) {
    if (pValue >= kNoiseLevel) {
        return "no";
    }
    std::vector<double> differences;
    for (size_t i = 0; i < a.size(); ++i) {
        differences.push_back(b[i] - a[i]);
    }
    double typical = percentile(differences, 0.5);
    if (typical == 0.0) {
        typical = percentile(b, 0.5) - percentile(a, 0.5);
    }
    return typical > 0.0 ? "yes, slower" : "yes, faster";
}

// The median of a row over one run's own frames, or "off" where it has none.
std::string ownMedian(const RunResult& run, size_t row) {
    std::vector<double> samples;
    for (const FrameRecord& frame : run.frameRecords) {
        double ms = 0.0;
        if (rowSample(frame, row, ms)) {
            samples.push_back(ms);
        }
    }
    return samples.empty() ? "off" : formatMs(percentile(samples, 0.5));
}

// A row that only one side has (a pass switched off there, or one its build lacks) shows that
// side's median and nothing paired.
std::string comparisonRow(const std::string& label, const RunResult& base, const RunResult& next,
                          size_t row) {
    std::vector<double> a;
    std::vector<double> b;
    pairRow(base, next, row, a, b);
    if (a.empty()) {
        return "| " + label + " | " + ownMedian(base, row) + " | " + ownMedian(next, row) +
               " | | | |\n";
    }
    double baseMedian = percentile(a, 0.5);
    double nextMedian = percentile(b, 0.5);
    double pValue = signedRankPValue(a, b);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " | %.3f | %.2g | ",
                  baseMedian > 0.0 ? nextMedian / baseMedian : 0.0, pValue);
    return "| " + label + " | " + formatMs(baseMedian) + " | " + formatMs(nextMedian) + numbers +
           verdict(a, b, pValue) + " |\n";
}

std::string sideLine(const char* side, const ReportFile& report) {
    const BenchEnvironment& e = report.environment;
    return std::string(side) + ": commit " + e.commit + " (" + e.buildType + "), " + e.date + ", " +
           report.runs.front().context.renderer + "\n";
}

} // namespace

std::string compareRule() {
    char text[320];
    std::snprintf(text, sizeof text,
                  "frames are paired by tour time; a difference is beyond noise when the "
                  "two-sided Wilcoxon signed-rank test over the pairs gives p < %g",
                  kNoiseLevel);
    return text;
}

std::string compareMismatch(const ReportFile& base, const ReportFile& next) {
    if (base.runs.size() != next.runs.size()) {
        return "they hold different numbers of runs (" + std::to_string(base.runs.size()) +
               " and " + std::to_string(next.runs.size()) + ")";
    }
    for (size_t i = 0; i < base.runs.size(); ++i) {
        std::string mismatch = runMismatch(base.runs[i], next.runs[i], i);
        if (!mismatch.empty()) {
            return mismatch;
        }
    }
    return "";
}

std::optional<ReportFile> mergeReports(const std::vector<ReportFile>& reports, std::string& error) {
    if (reports.empty()) {
        error = "no reports given";
        return std::nullopt;
    }
    for (size_t r = 1; r < reports.size(); ++r) {
        error = compareMismatch(reports.front(), reports[r]);
        if (!error.empty()) {
            return std::nullopt;
        }
    }
    ReportFile merged = reports.front();
    for (size_t i = 0; i < merged.runs.size(); ++i) {
        std::vector<std::vector<FrameRecord>> repeats;
        for (const ReportFile& report : reports) {
            repeats.push_back(report.runs[i].frameRecords);
        }
        setFrameRecords(merged.runs[i], fastestOfRepeats(repeats));
    }
    return merged;
}

std::optional<ReportFile> loadReports(const std::string& pathList, std::string& error) {
    std::vector<ReportFile> reports;
    std::vector<std::string> paths = splitPaths(pathList);
    if (paths.empty()) {
        paths.push_back("");
    }
    for (const std::string& path : paths) {
        std::optional<ReportFile> report = loadReport(path, error);
        if (!report) {
            return std::nullopt;
        }
        reports.push_back(std::move(*report));
    }
    std::optional<ReportFile> merged = mergeReports(reports, error);
    if (!merged) {
        error = "the reports " + pathList + " cannot be merged: " + error;
    }
    return merged;
}

std::string formatComparison(const ReportFile& base, const ReportFile& next) {
    std::ostringstream out;
    out << sideLine("BASE", base) << sideLine("NEW ", next) << compareRule() << "\n";
    std::vector<std::string> labels = tableRowLabels();
    for (size_t i = 0; i < base.runs.size(); ++i) {
        const RunResult& a = base.runs[i];
        const RunResult& b = next.runs[i];
        out << "\n| " << runLabel(a) << ", " << a.frameRecords.size()
            << " frames | base median ms | new median ms | new/base | p | beyond noise |\n"
            << "|---|---:|---:|---:|---:|---|\n";
        for (size_t row = 0; row < labels.size(); ++row) {
            out << comparisonRow(labels[row], a, b, row);
        }
    }
    return out.str();
}

int runCompare(const std::string& baseList, const std::string& newList, std::string& output,
               std::string& error) {
    std::optional<ReportFile> base = loadReports(baseList, error);
    if (!base) {
        return 1;
    }
    std::optional<ReportFile> next = loadReports(newList, error);
    if (!next) {
        return 1;
    }
    std::string mismatch = compareMismatch(*base, *next);
    if (!mismatch.empty()) {
        error = "cannot compare " + baseList + " with " + newList + ": " + mismatch;
        return 1;
    }
    output = formatComparison(*base, *next);
    return 0;
}
