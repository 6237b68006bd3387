// GPU timing of the frame's passes. A measuring tool activates the timer, attaches hooks() to the
// renderer so each pass is bracketed by begin/end, brackets each frame with beginFrame/endFrame
// and collects the results a few frames later: the queries of a frame sit in a ring of slots and
// are read back only once they are old, so measuring never waits for the GPU while frames keep
// coming. While the timer is inactive begin/end do nothing.
#pragma once

#include "render/FramePass.h"

#include <cstdint>
#include <vector>

// The GPU times of one frame, in milliseconds.
struct FrameGpuTimes {
    std::int64_t frame = 0;              // number of the frame, counted from activate()
    double passMs[kFramePassCount] = {}; // summed time of the pass's brackets in this frame
    bool passRan[kFramePassCount] = {};  // whether the pass was bracketed at all
    double frameMs = 0.0;                // beginFrame to endFrame, from GPU timestamps
};

class PassTimer {
public:
    // Starts a GL_TIME_ELAPSED query for the pass. Ignored while inactive, outside a frame, or
    // while another pass is being timed (GL allows one such query at a time: the outer pass
    // then includes the inner one).
    static void begin(FramePass pass);
    // Ends the pass's query; ignored unless that pass is the one being timed.
    static void end(FramePass pass);
    // begin and end as the renderer's pass hooks (Renderer::attachPassHooks).
    static const PassHooks* hooks();

    // Creates the query ring with a context current; results are read `latencyFrames` frames
    // after their frame at the earliest. Restarting drops whatever was pending.
    static void activate(int latencyFrames = 3);
    // Deletes every query object (context current) and returns to the inactive state.
    static void deactivate();
    static bool isActive();

    // Bracket one frame: a GPU timestamp at each end, and the pass queries in between.
    static void beginFrame();
    static void endFrame();

    // Results of the frames whose queries have completed, oldest first; each frame is handed out
    // once. With `wait` true every pending frame is read, waiting for the GPU if needed.
    static std::vector<FrameGpuTimes> collect(bool wait);

    // Number of begin() calls ignored because another pass was being timed.
    static int nestedBrackets();

    // Name of the pass in reports, its key in kFramePassNames.
    static const char* name(FramePass pass);
};
