// FrameSchedule: grid times are computed as from + i * step (no accumulated rounding), so a
// capture at a grid time lands on that frame.
#include "FrameSchedule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Times closer than this are the same frame.
constexpr double kSameTime = 1e-6;

std::vector<ScheduledFrame> gridFrames(double from, double step, double last,
                                       std::optional<int> frameCount) {
    std::vector<ScheduledFrame> grid;
    for (long i = 0;; ++i) {
        double time = from + static_cast<double>(i) * step;
        bool pastEnd = time > last + kSameTime;
        bool countReached = frameCount && grid.size() >= static_cast<size_t>(*frameCount);
        if (pastEnd || countReached) {
            return grid;
        }
        grid.push_back({time, false});
    }
}

void mergeCapture(std::vector<ScheduledFrame>& frames, double time) {
    auto at = std::lower_bound(
        frames.begin(), frames.end(), time - kSameTime,
        [](const ScheduledFrame& frame, double value) { return frame.time < value; });
    if (at != frames.end() && std::fabs(at->time - time) <= kSameTime) {
        at->capture = true;
        return;
    }
    frames.insert(at, {time, true});
}

} // namespace

FrameSchedule buildFrameSchedule(double from, double timeStep, std::optional<double> to,
                                 std::optional<int> frameCount, double tourEnd,
                                 const std::vector<double>& captureTimes) {
    FrameSchedule schedule;
    double last = std::min(to.value_or(tourEnd), tourEnd);
    schedule.frames = gridFrames(from, timeStep, last, frameCount);
    // A frame count ends the run at its last grid frame; otherwise the range runs to its end
    // even when the step skips past it.
    double spanEnd = last;
    if (frameCount) {
        spanEnd = schedule.frames.empty() ? from : schedule.frames.back().time;
    }
    for (double time : captureTimes) {
        if (time < from - kSameTime || time > spanEnd + kSameTime) {
            schedule.skippedCaptures.push_back(time);
            continue;
        }
        mergeCapture(schedule.frames, time);
    }
    return schedule;
}

std::string captureFileName(double time, DebugView view) {
    char name[64];
    std::snprintf(name, sizeof name, "capture_%06.2fs", time);
    std::string suffix = view == DebugView::FinalImage ? "" : "-" + debugViewArgument(view);
    return name + suffix + ".png";
}
