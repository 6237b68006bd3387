// Statistics: percentiles on a sorted copy, interpolated between neighbouring ranks; the
// signed-rank test ranks the absolute pair differences once.
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

namespace {

double standardDeviation(const std::vector<double>& samples, double mean) {
    if (samples.size() < 2) {
        return 0.0;
    }
    double squares = 0.0;
    for (double sample : samples) {
        squares += (sample - mean) * (sample - mean);
    }
    return std::sqrt(squares / static_cast<double>(samples.size() - 1));
}

} // namespace

Summary summarize(const std::vector<double>& samples) {
    Summary summary;
    if (samples.empty()) {
        return summary;
    }
    summary.count = static_cast<int>(samples.size());
    summary.median = percentile(samples, 0.5);
    summary.p90 = percentile(samples, 0.9);
    summary.p95 = percentile(samples, 0.95);
    summary.p99 = percentile(samples, 0.99);
    summary.mean =
        std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    summary.stddev = standardDeviation(samples, summary.mean);
    auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
    summary.min = *lowest;
    summary.max = *highest;
    return summary;
}

double signedRankPValue(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> differences;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) {
            differences.push_back(b[i] - a[i]);
        }
    }
    if (differences.empty()) {
        return 1.0;
    }
    std::sort(differences.begin(), differences.end(),
              [](double x, double y) { return std::fabs(x) < std::fabs(y); });
    double positiveRanks = 0.0;
    double tieCorrection = 0.0;
    size_t n = differences.size();
    for (size_t first = 0; first < n;) {
        size_t last = first;
        while (last + 1 < n && std::fabs(differences[last + 1]) == std::fabs(differences[first])) {
            ++last;
        }
        double rank = (static_cast<double>(first + last) + 2.0) / 2.0; // ranks count from 1
        double tied = static_cast<double>(last - first + 1);
        tieCorrection += tied * tied * tied - tied;
        for (size_t i = first; i <= last; ++i) {
            positiveRanks += differences[i] > 0.0 ? rank : 0.0;
        }
        first = last + 1;
    }
    double count = static_cast<double>(n);
    double expected = count * (count + 1.0) / 4.0;
    double variance = count * (count + 1.0) * (2.0 * count + 1.0) / 24.0 - tieCorrection / 48.0;
    if (variance <= 0.0) {
        return 1.0;
    }
    double distance = std::max(0.0, std::fabs(positiveRanks - expected) - 0.5);
    return std::erfc(distance / std::sqrt(2.0 * variance));
}
