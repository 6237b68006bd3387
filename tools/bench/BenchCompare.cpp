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
        return which + "(" + runLabel(a) + ") has different switch states or tunable values";
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

// How a row's change looks round by round, where both sides are interleaved rounds.
struct RoundCheck {
    bool checked = false; // both sides hold the same number of rounds, two or more
    bool sameWay = true;  // every round moved by the minimum change the way `ratio` did
    double spread = 1.0;  // the largest ratio between two rounds of one side
};

double medianRatio(const std::vector<double>& a, const std::vector<double>& b) {
    double baseMedian = percentile(a, 0.5);
    return baseMedian > 0.0 ? percentile(b, 0.5) / baseMedian : 0.0;
}

bool movedBy(double ratio, double change, bool slower) {
    return slower ? ratio >= 1.0 + change : ratio <= 1.0 - change;
}

// The spread of one side's round medians as the ratio of the largest to the smallest.
double roundSpread(const std::vector<double>& medians) {
    auto [smallest, largest] = std::minmax_element(medians.begin(), medians.end());
    return *smallest > 0.0 ? *largest / *smallest : 1.0;
}

RoundCheck checkRounds(const std::vector<ReportFile>& baseRounds,
                       const std::vector<ReportFile>& newRounds, size_t run, size_t row,
                       bool slower) {
    RoundCheck check;
    if (baseRounds.size() < 2 || baseRounds.size() != newRounds.size()) {
        return check;
    }
    check.checked = true;
    std::vector<double> baseMedians;
    std::vector<double> newMedians;
    for (size_t round = 0; round < baseRounds.size(); ++round) {
        std::vector<double> a;
        std::vector<double> b;
        pairRow(baseRounds[round].runs[run], newRounds[round].runs[run], row, a, b);
        if (a.empty()) {
            continue;
        }
        baseMedians.push_back(percentile(a, 0.5));
        newMedians.push_back(percentile(b, 0.5));
        check.sameWay = check.sameWay && movedBy(medianRatio(a, b), kMinimumChange, slower);
    }
    if (!baseMedians.empty()) {
        check.spread = std::max(roundSpread(baseMedians), roundSpread(newMedians));
    }
    return check;
}

// The typical direction of the pairs' differences: their median, or the medians' difference
// where most pairs are equal.
bool isSlower(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> differences;
    for (size_t i = 0; i < a.size(); ++i) {
        differences.push_back(b[i] - a[i]);
    }
    double typical = percentile(differences, 0.5);
    if (typical == 0.0) {
        typical = percentile(b, 0.5) - percentile(a, 0.5);
    }
    return typical > 0.0;
}

// What every row of one run's table is held to: the test's level over the rows compared, the
// pairs that level needs, and the rounds of both sides.
struct RowRule {
    double level = kNoiseLevel;
    int pairsNeeded = 0;
    const std::vector<ReportFile>* baseRounds = nullptr;
    const std::vector<ReportFile>* newRounds = nullptr;
    size_t run = 0;
};

std::string verdict(const std::vector<double>& a, const std::vector<double>& b, double pValue,
                    const RowRule& rule, size_t row) {
    if (static_cast<int>(a.size()) < rule.pairsNeeded) {
        return "too few pairs (" + std::to_string(a.size()) + "; " +
               std::to_string(rule.pairsNeeded) + " needed)";
    }
    bool slower = isSlower(a, b);
    double ratio = medianRatio(a, b);
    if (pValue >= rule.level || !movedBy(ratio, kMinimumChange, slower)) {
        return "no";
    }
    RoundCheck rounds = checkRounds(*rule.baseRounds, *rule.newRounds, rule.run, row, slower);
    double change = slower ? ratio : (ratio > 0.0 ? 1.0 / ratio : 0.0);
    if (rounds.checked && (!rounds.sameWay || change <= rounds.spread)) {
        return "no";
    }
    return slower ? "yes, slower" : "yes, faster";
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
                          size_t row, const RowRule& rule) {
    std::vector<double> a;
    std::vector<double> b;
    pairRow(base, next, row, a, b);
    if (a.empty()) {
        return "| " + label + " | " + ownMedian(base, row) + " | " + ownMedian(next, row) +
               " | | | |\n";
    }
    double pValue = signedRankPValue(a, b);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " | %.3f | %.2g | ", medianRatio(a, b), pValue);
    return "| " + label + " | " + formatMs(percentile(a, 0.5)) + " | " +
           formatMs(percentile(b, 0.5)) + numbers + verdict(a, b, pValue, rule, row) + " |\n";
}

// The rows of a run that both sides have, each of which the test is run on.
int pairedRows(const RunResult& base, const RunResult& next, size_t rows) {
    int count = 0;
    for (size_t row = 0; row < rows; ++row) {
        std::vector<double> a;
        std::vector<double> b;
        pairRow(base, next, row, a, b);
        count += a.empty() ? 0 : 1;
    }
    return count;
}

std::string ruleLine(const RowRule& rule, int rows) {
    char text[160];
    std::snprintf(text, sizeof text, "%d rows compared: beyond noise needs p < %.2g and %d pairs",
                  rows, rule.level, rule.pairsNeeded);
    std::string rounds =
        rule.baseRounds->size() >= 2 && rule.baseRounds->size() == rule.newRounds->size()
            ? "; " + std::to_string(rule.baseRounds->size()) + " interleaved rounds per side"
            : "; one report (or unmatched lists) per side: the drift between runs is not "
              "measured, so interleave rounds (compare-bins.sh) to see it";
    return text + rounds + "\n";
}

std::string sideLine(const char* side, const ReportFile& report, size_t reports) {
    const BenchEnvironment& e = report.environment;
    std::string merged =
        reports > 1 ? ", " + std::to_string(reports) + " reports merged (fastest per frame)" : "";
    return std::string(side) + ": commit " + e.commit + " (" + e.buildType + "), " + e.date + ", " +
           report.runs.front().context.renderer + merged + "\n";
}

} // namespace

std::string compareRule() {
    char text[640];
    std::snprintf(text, sizeof text,
                  "frames are paired by tour time; a row is beyond noise when the two-sided "
                  "Wilcoxon signed-rank test over its pairs gives p < %g divided by the number "
                  "of rows compared, its medians differ by at least %g %%, and, where both sides "
                  "list the same number of reports (interleaved rounds: BASE i ran beside NEW "
                  "i), every round moves the same way by as much and the change exceeds the "
                  "spread between one side's own rounds; a row with too few pairs to reach that "
                  "p says so",
                  kNoiseLevel, kMinimumChange * 100.0);
    return text;
}

int pairsNeeded(double level) {
    std::vector<double> zeros;
    std::vector<double> ascending;
    for (int n = 1; n <= 10000; ++n) {
        zeros.push_back(0.0);
        ascending.push_back(static_cast<double>(n));
        if (signedRankPValue(zeros, ascending) < level) {
            return n;
        }
    }
    return 10001;
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

std::optional<ReportFile> loadReports(const std::string& pathList, std::string& error,
                                      std::vector<ReportFile>* rounds) {
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
    } else if (rounds) {
        *rounds = std::move(reports);
    }
    return merged;
}

std::string formatComparison(const ReportFile& base, const ReportFile& next,
                             const std::vector<ReportFile>& baseRounds,
                             const std::vector<ReportFile>& newRounds) {
    std::ostringstream out;
    out << sideLine("BASE", base, baseRounds.size()) << sideLine("NEW ", next, newRounds.size())
        << compareRule() << "\n";
    std::vector<std::string> labels = tableRowLabels();
    for (size_t i = 0; i < base.runs.size(); ++i) {
        const RunResult& a = base.runs[i];
        const RunResult& b = next.runs[i];
        int rows = pairedRows(a, b, labels.size());
        RowRule rule;
        rule.level = kNoiseLevel / std::max(rows, 1);
        rule.pairsNeeded = pairsNeeded(rule.level);
        rule.baseRounds = &baseRounds;
        rule.newRounds = &newRounds;
        rule.run = i;
        out << "\n"
            << ruleLine(rule, rows) << "\n| " << runLabel(a) << ", " << a.frameRecords.size()
            << (a.frameRecords.size() == 1 ? " frame" : " frames")
            << " | base median ms | new median ms | new/base | p | beyond noise |\n"
            << "|---|---:|---:|---:|---:|---|\n";
        for (size_t row = 0; row < labels.size(); ++row) {
            out << comparisonRow(labels[row], a, b, row, rule);
        }
    }
    return out.str();
}

int runCompare(const std::string& baseList, const std::string& newList, std::string& output,
               std::string& error) {
    std::vector<ReportFile> baseRounds;
    std::vector<ReportFile> newRounds;
    std::optional<ReportFile> base = loadReports(baseList, error, &baseRounds);
    if (!base) {
        return 1;
    }
    std::optional<ReportFile> next = loadReports(newList, error, &newRounds);
    if (!next) {
        return 1;
    }
    std::string mismatch = compareMismatch(*base, *next);
    if (!mismatch.empty()) {
        error = "cannot compare " + baseList + " with " + newList + ": " + mismatch;
        return 1;
    }
    output = formatComparison(*base, *next, baseRounds, newRounds);
    return 0;
}
