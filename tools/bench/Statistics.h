// Order statistics of the benchmark's samples (frame and pass times): median, upper percentiles,
// mean, spread and range, and the paired test --compare uses to tell a change from noise.
// Percentiles interpolate linearly between the two closest ranks, so the median of an even count
// is the mean of the two middle values.
#pragma once

#include <vector>

struct Summary {
    int count = 0; // number of samples; every other field is 0 when it is 0
    double median = 0.0;
    double p90 = 0.0;
    double p95 = 0.0;
    double p99 = 0.0;
    double mean = 0.0;
    double stddev = 0.0; // sample standard deviation (n - 1); 0 for a single sample
    double min = 0.0;
    double max = 0.0;
};

// The value below which `fraction` (0..1, clamped) of the samples lie; 0 for no samples.
double percentile(std::vector<double> samples, double fraction);

Summary summarize(const std::vector<double>& samples);

// Two-sided Wilcoxon signed-rank test of paired samples (a[i] with b[i]): the probability of
// differences at least this one-sided if a and b were the same measurement. Pairs that differ
// by nothing are dropped, tied ranks share their mean rank, and the p-value comes from the normal
// approximation with tie and continuity corrections. 1 when fewer than one pair differs; the
// vectors must be of equal length.
double signedRankPValue(const std::vector<double>& a, const std::vector<double>& b);
