// GPU timing of the frame's passes: no measurement yet, so both calls do nothing.
#include "render/PassTimer.h"

void PassTimer::begin(FramePass /*pass*/) {}

void PassTimer::end(FramePass /*pass*/) {}
