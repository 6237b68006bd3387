// Statistics: percentiles on a sorted copy, interpolated between neighbouring ranks.
#include "Statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) {
        return 0.0;
    }
    std::sort(samples.begin(), samples.end());
    double position = std::clamp(fraction, 0.0, 1.0) * static_cast<double>(samples.size() - 1);
    size_t lower = static_cast<size_t>(std::floor(position));
    size_t upper = std::min(lower + 1, samples.size() - 1);
    double weight = position - static_cast<double>(lower);
    return samples[lower] + (samples[upper] - samples[lower]) * weight;
}

Summary summarize(const std::vector<double>& samples) {
    Summary summary;
    if (samples.empty()) {
        return summary;
    }
    summary.count = static_cast<int>(samples.size());
    summary.median = percentile(samples, 0.5);
    summary.p90 = percentile(samples, 0.9);
    summary.mean =
        std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
    summary.min = *lowest;
    summary.max = *highest;
    return summary;
}
