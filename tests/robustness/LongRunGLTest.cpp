// Soak run (ctest label "long"): 5,000 frames of the full pipeline at a small size while the
// camera flies its tour and then holds still, and the switches keep changing. After a warm-up
// in which every switch state of the cycle and every view of the tour has been shown (so the
// driver has built its shader variants and sized its buffers), the number of live GL objects
// may not change at all and the process's resident memory may not grow beyond allocator noise.
// Run it alone with: ctest --test-dir build -L long --output-on-failure (under xvfb-run).
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "RobustnessSupport.h"
#include "StartSwitches.h"
#include "TestPipeline.h"

#include "app/RenderSettings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

const int width = 64;
const int height = 48;
const int totalFrames = 5000;
// A frame time of 0.1 s takes the camera through its whole tour (about 55 s of frame time) in
// the first 550 frames, so the warm-up has also shown every part of the cathedral: the driver's
// per-view buffers have reached their largest size before memory is measured.
const float frameTime = 0.1f;
const int warmUpFrames = 700;
// llvmpipe's own caches may still grow after the warm-up as they meet new pipeline states, in
// steps of about 1 MiB (measured with its rasterizer on the calling thread, as ctest runs the soak:
// 0 to 1 MiB in all; see tests/robustness/CMakeLists.txt). So the whole run may grow by
// `allowedGrowth`, while its second half may grow by `allowedLateGrowth` only. An injected loss of
// 2 KiB per frame grew the second half by 3.7 MiB, one of 4 KiB by 8 MiB; smaller losses are first
// absorbed by the heap's free space. Heap leaks of our own code are caught exactly by the sanitizer
// build's leak checker, GL objects by the counts.
const std::size_t allowedGrowth = 12u << 20;
const std::size_t allowedLateGrowth = 3u << 20;
const int midFrame = totalFrames / 2;

// The frame switches of the table that the soak steps: all but anti-aliasing (F10), which stays
// on, so the soak keeps the switch sequence its memory allowances were measured with.
std::vector<const KeySwitch*> soakSwitches() {
    std::vector<const KeySwitch*> switches = frameSwitches();
    switches.erase(std::remove_if(switches.begin(), switches.end(),
                                  [](const KeySwitch* s) { return s->key == GLFW_KEY_F10; }),
                   switches.end());
    return switches;
}

// Switch changes spread over the run, one every `period` frames, cycling through the soak's
// switches (light mode and six on/off effects): their states repeat every 294 frames (each
// on/off switch flipped twice, three light modes, per round of 49 frames). The cube shadow maps,
// by far the dearest pass, are re-rendered on every 21st frame only (the options file allows
// that), which keeps the soak within a few minutes on a software renderer and still runs that
// pass 238 times; 21 divides 294, so the warm-up has already met every state the pass runs in
// and the driver has nothing new to build later.
void changeSwitches(int frame) {
    RenderSettings::updateShadowMaps = frame % 21 == 0;
    const int period = 7;
    if (frame % period != 0) {
        return;
    }
    static const std::vector<const KeySwitch*> switches = soakSwitches();
    const SwitchSetting& setting = switches[(frame / period) % switches.size()]->setting;
    setting.set((setting.get() + 1) % setting.states);
}

} // namespace

class LongRunGLTest : public GLTest {};

TEST_F(LongRunGLTest, MemoryAndGLObjectsStayFlatOver5000Frames) {
    auto start = std::chrono::steady_clock::now();
    std::size_t residentAfterWarmUp = 0;
    std::size_t residentPeak = 0;
    std::size_t residentAtMidpoint = 0;
    LiveGLObjects liveAfterWarmUp;
    std::string samples; // resident KiB every 500 frames
    OutputCapture capture;
    {
        TestPipeline pipeline(width, height);
        for (int frame = 0; frame < totalFrames; ++frame) {
            changeSwitches(frame);
            pipeline.frame(frameTime);
            if (frame == warmUpFrames) {
                glFinish();
                residentAfterWarmUp = residentBytes();
                liveAfterWarmUp = countLiveGLObjects();
            }
            if (frame > warmUpFrames && frame % 500 == 0) {
                residentPeak = std::max(residentPeak, residentBytes());
                if (frame == midFrame) {
                    residentAtMidpoint = residentBytes();
                }
                samples += " " + std::to_string(residentBytes() >> 10);
                LiveGLObjects live = countLiveGLObjects();
                ASSERT_EQ(live, liveAfterWarmUp) << "live GL objects changed by frame " << frame;
            }
        }
        glFinish();
        residentPeak = std::max(residentPeak, residentBytes());
        EXPECT_EQ(countLiveGLObjects(), liveAfterWarmUp);
        EXPECT_LE(residentPeak, residentAfterWarmUp + allowedGrowth)
            << "resident memory grew from " << (residentAfterWarmUp >> 10) << " KiB to "
            << (residentPeak >> 10) << " KiB";
        EXPECT_LE(residentBytes(), residentAtMidpoint + allowedLateGrowth)
            << "resident memory still grew in the second half: from " << (residentAtMidpoint >> 10)
            << " KiB at frame " << midFrame << " to " << (residentBytes() >> 10) << " KiB";
    }
    std::string output = capture.finish();
    EXPECT_EQ(countGLErrorLines(output), 0) << output.substr(0, 4000);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d frames at %dx%d in %.1f s; resident after warm-up %zu KiB, peak %zu KiB; "
                "live GL objects ",
                totalFrames, width, height, seconds, residentAfterWarmUp >> 10, residentPeak >> 10);
    std::cout << liveAfterWarmUp << "; resident KiB by 500 frames:" << samples << std::endl;
}
