// Order statistics of the benchmark's samples (frame and pass times): median, 90th percentile,
// mean and range. Percentiles interpolate linearly between the two closest ranks, so the median
// of an even count is the mean of the two middle values.
#pragma once

#include <vector>

struct Summary {
    int count = 0; // number of samples; every other field is 0 when it is 0
    double median = 0.0;
    double p90 = 0.0;
    double mean = 0.0;
    double min = 0.0;
    double max = 0.0;
};

// The value below which `fraction` (0..1, clamped) of the samples lie; 0 for no samples.
double percentile(std::vector<double> samples, double fraction);

Summary summarize(const std::vector<double>& samples);
