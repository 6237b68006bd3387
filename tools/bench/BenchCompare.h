// cathedral-bench --compare: two reports of the same configuration, run by run, per pass and for
// the frame: both medians, their ratio and whether the difference is beyond the runs' noise.
// Frames are paired by tour time (with a fixed time step both runs rendered identical work in
// each pair), and a difference counts when the two-sided Wilcoxon signed-rank test over the
// pairs gives p below kNoiseLevel. Each side may be several reports of the same configuration,
// merged frame by frame keeping the fastest value, as --repeat does within one run.
#pragma once

#include "BenchReport.h"

#include <optional>
#include <string>
#include <vector>

constexpr double kNoiseLevel = 0.01;

// One sentence on how the verdict is decided, for --help and the output.
std::string compareRule();

// The reports named in a comma-separated list, read and merged; fails with one line naming the
// file and what is wrong with it.
std::optional<ReportFile> loadReports(const std::string& pathList, std::string& error);

// Frame by frame fastest of reports that hold the same runs; fails when they do not.
std::optional<ReportFile> mergeReports(const std::vector<ReportFile>& reports, std::string& error);

// Why two reports cannot be compared (different runs, sizes, switch states or tour frames), or
// "" when they can.
std::string compareMismatch(const ReportFile& base, const ReportFile& next);

// The comparison tables of two comparable reports.
std::string formatComparison(const ReportFile& base, const ReportFile& next);

// The whole command: loads both sides and writes the tables to `output`, or one line to `error`.
// Returns the exit code: 0 when compared, 1 on bad input.
int runCompare(const std::string& baseList, const std::string& newList, std::string& output,
               std::string& error);
