// ProgressBar: formatting is separate from drawing so it can be checked without a terminal.
#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <utility>

namespace {

int percentOf(int done, int total) {
    return total > 0 ? static_cast<int>(static_cast<long long>(done) * 100 / total) : 100;
}

} // namespace

std::string formatProgress(int done, int total, int barWidth, const std::string& label) {
    total = std::max(total, 0);
    done = std::clamp(done, 0, total);
    int filled =
        total > 0 ? static_cast<int>(static_cast<long long>(done) * barWidth / total) : barWidth;
    std::string bar = "[" + std::string(static_cast<size_t>(filled), '#') +
                      std::string(static_cast<size_t>(barWidth - filled), ' ') + "]";
    char counts[64];
    std::snprintf(counts, sizeof counts, " %3d%%  %d/%d frames", percentOf(done, total), done,
                  total);
    return bar + counts + (label.empty() ? "" : "  " + label);
}

ProgressBar::ProgressBar(int total, std::string label, bool enabled)
    : total(total), label(std::move(label)), enabled(enabled && isatty(STDERR_FILENO)) {}

void ProgressBar::update(int done) {
    write(redraw(done));
}

void ProgressBar::finish() {
    write(finished());
}

std::string ProgressBar::redraw(int done) {
    int percent = percentOf(done, total);
    if (ended || percent == shownPercent || percent >= 100) {
        return "";
    }
    shownPercent = percent;
    return "\r" + formatProgress(done, total, 30, label);
}

std::string ProgressBar::finished() {
    if (ended) {
        return "";
    }
    ended = true;
    return "\r" + formatProgress(total, total, 30, label) + "\n";
}

void ProgressBar::write(const std::string& text) {
    if (!enabled || text.empty()) {
        return;
    }
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}
