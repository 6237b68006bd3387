// Every combination of the run-time switches that change the frame (the switch table's light
// modes times its on/off effects), reached the way a user reaches it, one switch change after
// another, and held for a few frames on the full scene through the program's own frame pipeline: no
// OpenGL error, and the standing GL state back after every frame. Half of the combinations run with
// cube shadow-map updating off, as options.ini allows, and a crossing half with the F9 overlay
// shown (made and released as the demo does on F9), so its drawing must leave the same state
// behind. Every tunable pushed to either end of its range keeps the frame finite and readable,
// and putting them back gives the start frame again.
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "RobustnessSupport.h"
#include "StartSwitches.h"
#include "TestPipeline.h"

#include "app/Overlay.h"
#include "app/RenderSettings.h"
#include "gpu/Tunables.h"
#include "render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const int width = 96;
const int height = 72;
const int framesPerCombination = 2;

// All states of the frame switches, one after another.
int combinationCount() {
    int count = 1;
    for (const KeySwitch* keySwitch : frameSwitches()) {
        count *= keySwitch->setting.states;
    }
    return count;
}

struct Combination {
    int index; // 0 .. combinationCount() - 1, the switches' states as digits in table order
    bool overlayShown() const { return index % 4 >= 2; }

    void apply() const {
        int digits = index;
        for (const KeySwitch* keySwitch : frameSwitches()) {
            keySwitch->setting.set(digits % keySwitch->setting.states);
            digits /= keySwitch->setting.states;
        }
        RenderSettings::updateShadowMaps = index % 2 == 0;
    }

    std::string describe() const {
        std::string text;
        for (const KeySwitch* keySwitch : frameSwitches()) {
            text += std::string(keySwitch->benchName) + " " + switchState(*keySwitch) + " ";
        }
        return text + "updateShadowMaps " + std::to_string(index % 2 == 0) + " overlay " +
               std::to_string(overlayShown());
    }
};

// The clear colour the lighting pass leaves set, which the frame loop's next clear uses.
bool clearColorIsBlack() {
    GLfloat clear[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    return clear[0] == 0.0f && clear[1] == 0.0f && clear[2] == 0.0f && clear[3] == 0.0f;
}

// The output's pixels over the test's size (the window's back buffer, bottom row first).
std::vector<unsigned char> outputPixels() {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Whether every texel of the HDR buffer's lit colour and bright parts is a finite number.
bool hdrBufferIsFinite(const Renderer& renderer) {
    std::vector<float> texels(static_cast<size_t>(width) * height * 4);
    for (GLenum attachment : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1}) {
        glBindTexture(GL_TEXTURE_2D, renderer.hdrBuffer.getTexture(attachment));
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
        if (!std::all_of(texels.begin(), texels.end(), [](float t) { return std::isfinite(t); })) {
            return false;
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}

// The spread of the output's green channel: a frame that is one flat colour shows nothing.
int greenSpread(const std::vector<unsigned char>& pixels) {
    int lowest = 255;
    int highest = 0;
    for (size_t i = 1; i < pixels.size(); i += 4) {
        lowest = std::min<int>(lowest, pixels[i]);
        highest = std::max<int>(highest, pixels[i]);
    }
    return highest - lowest;
}

} // namespace

class SwitchCombinationsGLTest : public GLTest {
protected:
    void TearDown() override {
        restoreStartSwitches();
        resetTunables();
    }
};

TEST_F(SwitchCombinationsGLTest, EveryCombinationRendersCleanlyAndRestoresTheStandingState) {
    // The error checks count on the driver's reports reaching the captured output.
    std::string probe = captureOutput([] { glEnable(0x7FFF); }); // not a capability
    ASSERT_EQ(countGLErrorLines(probe), 1) << probe;
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));

    OutputCapture startCapture;
    TestPipeline pipeline(width, height);
    std::string startOutput = startCapture.finish();
    ASSERT_EQ(countGLErrorLines(startOutput), 0) << startOutput;
    ASSERT_TRUE(standingStateRestored(width, height)) << "after building the renderer";

    const double dt = 1.0 / 60.0;
    std::unique_ptr<Overlay> overlay;
    int failures = 0;
    for (int index = 0; index < combinationCount() && failures < 5; ++index) {
        Combination combination{index};
        SCOPED_TRACE(combination.describe());
        combination.apply();
        OutputCapture capture;
        if (combination.overlayShown() != (overlay != nullptr)) {
            overlay.reset(combination.overlayShown()
                              ? new Overlay(GLTestContext::window(), &pipeline.pipeline)
                              : nullptr);
        }
        bool stateKept = true;
        for (int frame = 0; frame < framesPerCombination && stateKept; ++frame) {
            if (overlay) {
                overlay->beginFrame();
            }
            pipeline.frame(dt);
            if (overlay) {
                overlay->endFrame(dt);
            }
            ::testing::AssertionResult standing = standingStateRestored(width, height);
            bool black = clearColorIsBlack();
            EXPECT_TRUE(standing) << "after frame " << frame;
            EXPECT_TRUE(black) << "clear colour not black after frame " << frame;
            stateKept = standing && black;
        }
        std::string output = capture.finish();
        int errors = countGLErrorLines(output);
        EXPECT_EQ(errors, 0) << output;
        failures += (errors != 0 || !stateKept) ? 1 : 0;
    }
    EXPECT_EQ(failures, 0) << "stopped early after 5 failing combinations";
}

TEST_F(SwitchCombinationsGLTest, EveryTunableAtEitherEndOfItsRangeKeepsTheFrameFiniteAndReadable) {
    RenderSettings::coloredShadows = true; // the window shadow's bias acts only then
    TestPipeline pipeline(width, height);
    pipeline.frame(0.0);
    std::vector<unsigned char> start = outputPixels();
    OutputCapture capture;
    for (const Tunable& tunable : tunables()) {
        for (float end : {tunable.minimum, tunable.maximum}) {
            SCOPED_TRACE(std::string(tunable.name) + " " + tunableText(tunable, end));
            setTunable(tunable, end);
            pipeline.frame(0.0);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            EXPECT_TRUE(hdrBufferIsFinite(*pipeline.pipeline.renderer));
            EXPECT_GE(greenSpread(outputPixels()), 8);
        }
        setTunable(tunable, tunable.start);
    }
    std::string output = capture.finish();
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    pipeline.frame(0.0);
    EXPECT_EQ(outputPixels(), start) << "the start values did not give the start frame back";
}
