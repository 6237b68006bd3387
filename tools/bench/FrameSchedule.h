// The tour times a benchmark run renders: a regular grid from the start time in fixed steps,
// ended by the range end, the frame count or the end of the tour, with the capture times merged
// in as frames of their own (or marked on the grid frame they coincide with).
#pragma once

#include "base/DebugView.h"

#include <optional>
#include <string>
#include <vector>

struct ScheduledFrame {
    double time = 0.0;    // tour seconds
    bool capture = false; // save this frame as PNG
};

struct FrameSchedule {
    std::vector<ScheduledFrame> frames;  // ascending times
    std::vector<double> skippedCaptures; // capture times outside the rendered range
};

// `tourEnd` bounds the range (`to` may shorten it); `frameCount` limits the grid frames. Captures
// anywhere in the range are added on top; with a frame count the range ends at its last frame.
FrameSchedule buildFrameSchedule(double from, double timeStep, std::optional<double> to,
                                 std::optional<int> frameCount, double tourEnd,
                                 const std::vector<double>& captureTimes);

// The file name of the capture at a tour time: "capture_012.50s.png" for the final image,
// "capture_012.50s-world-normal.png" for a debug view, so the views of one time do not collide.
std::string captureFileName(double time, DebugView view);
