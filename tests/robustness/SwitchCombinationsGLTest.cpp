// Every combination of the run-time switches that change the frame (the switch table's light
// modes times its on/off effects), reached the way a user reaches it, one switch change after
// another, and held for a few frames on the full scene through the program's own frame pipeline: no
// OpenGL error, and the standing GL state back after every frame. Half of the combinations run with
// cube shadow-map updating off, as options.ini allows, and a crossing half with the F9 overlay
// shown (made and released as the demo does on F9), so its drawing must leave the same state
// behind.
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "RobustnessSupport.h"
#include "StartSwitches.h"
#include "TestPipeline.h"

#include "app/Overlay.h"
#include "app/RenderSettings.h"

#include <memory>
#include <string>

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

} // namespace

class SwitchCombinationsGLTest : public GLTest {
protected:
    void TearDown() override { restoreStartSwitches(); }
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
