// The F9 overlay and the F12 screenshot in-process on the full pipeline: the overlay draws over
// the frame, leaves the state the next frame expects and, once hidden again, leaves no trace (no
// query object, the same pixels as before); it fits small windows whole and counts the tour in
// the tour's own seconds; a screenshot never overwrites a file and a directory it cannot write
// to costs one line.
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "RobustnessSupport.h"
#include "ScratchDirectory.h"

#include "app/FramePipeline.h"
#include "app/Overlay.h"
#include "app/Screenshot.h"
#include "scene/CameraPathAnimation.h"

#include <FreeImage.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

const int width = 240;
const int height = 180;

// The whole window: the overlay sits at the window's top left, above the smaller frame.
std::vector<unsigned char> backBuffer() {
    int windowWidth = 0;
    int windowHeight = 0;
    glfwGetFramebufferSize(GLTestContext::window(), &windowWidth, &windowHeight);
    std::vector<unsigned char> pixels(static_cast<size_t>(windowWidth) * windowHeight * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, windowWidth, windowHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// A frame at a fixed tour time (the tour does not advance), with or without the overlay.
std::vector<unsigned char> frame(FramePipeline& pipeline, Overlay* overlay) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (overlay) {
        overlay->beginFrame();
    }
    pipeline.frame(0.0, 0.0);
    if (overlay) {
        overlay->endFrame(0.04);
    }
    return backBuffer();
}

} // namespace

class OverlayGLTest : public GLTest {};

TEST_F(OverlayGLTest, TheOverlayDrawsOverTheFrameAndLeavesNoTraceOnceHidden) {
    OutputCapture capture;
    {
        FramePipeline pipeline(GLTestContext::window(), width, height);
        pipeline.frame(20.0);
        std::vector<unsigned char> plain = frame(pipeline, nullptr);
        EXPECT_EQ(countLiveGLObjects().queries, 0);

        Overlay* overlay = new Overlay(GLTestContext::window(), &pipeline);
        std::vector<unsigned char> shown;
        for (int i = 0; i < 5; ++i) { // long enough for pass times to come back
            shown = frame(pipeline, overlay);
            EXPECT_TRUE(standingStateRestored(width, height)) << "frame " << i;
        }
        EXPECT_GT(countLiveGLObjects().queries, 0);
        EXPECT_NE(shown, plain);
        delete overlay;

        EXPECT_EQ(countLiveGLObjects().queries, 0);
        EXPECT_EQ(frame(pipeline, nullptr), plain);
    }
    std::string output = capture.finish();
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    EXPECT_FALSE(HasFailure()) << "the messages of the failures above were captured:\n" << output;
}

// The window shrinks to 480 x 360 and 320 x 240 and grows back: after a few frames the whole
// overlay lies inside the window each time, in two columns of smaller text when small.
TEST_F(OverlayGLTest, TheOverlayFitsSmallWindowsWholeAndCountsTourSeconds) {
    struct Fit {
        int width;
        int height;
        int columns;
    };
    GLFWwindow* window = GLTestContext::window();
    int originalWidth = 0;
    int originalHeight = 0;
    glfwGetWindowSize(window, &originalWidth, &originalHeight);
    OutputCapture capture;
    {
        FramePipeline pipeline(window, width, height);
        pipeline.frame(20.0);
        EXPECT_EQ(Overlay::tourLine(*pipeline.pathAnimation, false),
                  "Tour     20.0 s (clock 40.0)");
        EXPECT_EQ(Overlay::tourLine(*pipeline.pathAnimation, true), "Tour     free look");

        Overlay overlay(window, &pipeline);
        for (const Fit& fit : {Fit{480, 360, 2}, Fit{320, 240, 2}, Fit{1024, 768, 1}}) {
            SCOPED_TRACE(std::to_string(fit.width) + "x" + std::to_string(fit.height));
            glfwSetWindowSize(window, fit.width, fit.height);
            glfwPollEvents();
            for (int i = 0; i < 8; ++i) {
                frame(pipeline, &overlay);
            }
            OverlayPlacement placed = overlay.placement();
            SCOPED_TRACE("overlay at " + std::to_string(placed.x) + "," + std::to_string(placed.y) +
                         " size " + std::to_string(placed.width) + "x" +
                         std::to_string(placed.height) + " scale " +
                         std::to_string(placed.textScale));
            EXPECT_GE(placed.x, 0.0f);
            EXPECT_GE(placed.y, 0.0f);
            EXPECT_LE(placed.x + placed.width, static_cast<float>(fit.width));
            EXPECT_LE(placed.y + placed.height, static_cast<float>(fit.height));
            EXPECT_GT(placed.height, fit.height / 2.0f) << "shrunk further than needed";
            EXPECT_EQ(placed.columns, fit.columns);
            EXPECT_EQ(placed.textScale == 1.0f, fit.width == 1024) << placed.textScale;
        }
    }
    glfwSetWindowSize(window, originalWidth, originalHeight);
    glfwPollEvents();
    std::string output = capture.finish();
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    EXPECT_FALSE(HasFailure()) << "the messages of the failures above were captured:\n" << output;
}

TEST_F(OverlayGLTest, AScreenshotTakesTheNextFreeNameAndAFailureIsOneLine) {
    ScratchDirectory scratch;
    fs::path directory = scratch.path;
    std::ofstream(directory / "screenshot-0001.png") << "kept";
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    OutputCapture capture;
    std::string name = Screenshot::save(width, height, directory.string());
    // A path through a file cannot hold a new file, whoever runs the test.
    std::string failed =
        Screenshot::save(width, height, (directory / "screenshot-0001.png").string());
    std::string output = capture.finish();

    EXPECT_EQ(name, "screenshot-0002.png");
    EXPECT_TRUE(failed.empty());
    std::ifstream kept(directory / "screenshot-0001.png");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");
    std::vector<std::string> lines = ProcessRunner::lines(output);
    ASSERT_EQ(lines.size(), 2u) << output;
    EXPECT_EQ(lines[0], "Screenshot saved: screenshot-0002.png");
    EXPECT_EQ(lines[1].rfind("Screenshot failed: cannot create screenshot-0001.png (", 0), 0u)
        << lines[1];
    FIBITMAP* image = FreeImage_Load(FIF_PNG, (directory / name).string().c_str(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(image), static_cast<unsigned>(width));
    EXPECT_EQ(FreeImage_GetHeight(image), static_cast<unsigned>(height));
    RGBQUAD corner;
    FreeImage_GetPixelColor(image, width - 1, height - 1, &corner);
    EXPECT_EQ(corner.rgbBlue, 153);
    FreeImage_Unload(image);
}
