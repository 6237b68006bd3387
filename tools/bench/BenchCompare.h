// cathedral-bench --compare: two reports of the same configuration, run by run, per pass and for
// the frame: both medians, their ratio and whether the difference is beyond the runs' noise.
// Frames are paired by tour time (with a fixed time step both runs rendered identical work in
// each pair). The frames of one run share its machine state, so the paired test alone calls the
// drift between two runs a change: a row counts only when the two-sided Wilcoxon signed-rank
// test gives p below kNoiseLevel divided by the number of rows compared, the medians differ by at
// least kMinimumChange, and, where both sides are interleaved rounds, every round moves the same
// way and the change exceeds the spread between one side's own rounds. Each side may be several
// reports of the same configuration, merged frame by frame keeping the fastest value, as
// --repeat does within one run.
#pragma once

#include "BenchReport.h"

#include <optional>
#include <string>
#include <vector>

constexpr double kNoiseLevel = 0.01;
// The smallest change of the median that counts, as a fraction (5 %).
constexpr double kMinimumChange = 0.05;

// One sentence on how the verdict is decided, for --help and the output.
std::string compareRule();

// The fewest pairs with which the signed-rank test can reach p below `level` at all.
int pairsNeeded(double level);

// The reports named in a comma-separated list, read and merged; fails with one line naming the
// file and what is wrong with it. `rounds`, when given, receives the reports as read.
std::optional<ReportFile> loadReports(const std::string& pathList, std::string& error,
                                      std::vector<ReportFile>* rounds = nullptr);

// Frame by frame fastest of reports that hold the same runs; fails when they do not.
std::optional<ReportFile> mergeReports(const std::vector<ReportFile>& reports, std::string& error);

// Why two reports cannot be compared (different runs, sizes, switch states or tour frames), or
// "" when they can.
std::string compareMismatch(const ReportFile& base, const ReportFile& next);

// The comparison tables of two comparable reports. `baseRounds` and `newRounds` are the reports
// each side was merged from, in the order they ran (BASE round i beside NEW round i); with fewer
// than two each, or different counts, the drift between rounds is not checked.
std::string formatComparison(const ReportFile& base, const ReportFile& next,
                             const std::vector<ReportFile>& baseRounds = {},
                             const std::vector<ReportFile>& newRounds = {});

// The whole command: loads both sides and writes the tables to `output`, or one line to `error`.
// Returns the exit code: 0 when compared, 1 on bad input.
int runCompare(const std::string& baseList, const std::string& newList, std::string& output,
               std::string& error);
