// Following the framebuffer's size: the whole pipeline built in-process and resized between
// frames (to one pixel, back, to odd sizes, to nothing) must render at each new size with the
// camera's aspect following, raise no OpenGL error and leave no GL object behind. That the
// picture fills a resized window is checked on the real demo (WindowKeysRunGLTest).
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "RobustnessSupport.h"

#include "app/FramePipeline.h"
#include "app/RenderSettings.h"
#include "render/Renderer.h"
#include "scene/Camera.h"

#include <string>
#include <vector>

namespace {

struct Size {
    int width;
    int height;
};

} // namespace

class WindowResizeGLTest : public GLTest {};

TEST_F(WindowResizeGLTest, EveryResizeRendersAtTheNewSizeWithoutErrorsOrLeaks) {
    OutputCapture capture;
    {
        FramePipeline pipeline(GLTestContext::window(), 64, 48);
        pipeline.frame(0.5);
        LiveGLObjects built = countLiveGLObjects();
        // A grow, a shrink to one pixel and back, odd sides, repeated as a window drag does;
        // sizes with a zero side (a minimised window) keep the targets.
        const std::vector<Size> sizes = {{200, 150}, {1, 1},    {333, 17}, {0, 0},
                                         {64, 0},    {97, 203}, {1, 1},    {64, 48}};
        Size current = {64, 48};
        for (int round = 0; round < 3; ++round) {
            for (const Size& size : sizes) {
                SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
                pipeline.resize(size.width, size.height);
                if (size.width > 0 && size.height > 0) {
                    current = size;
                }
                pipeline.frame(0.1);
                EXPECT_EQ(pipeline.renderer->width(), current.width);
                EXPECT_EQ(RenderSettings::screenHeight, current.height);
                EXPECT_FLOAT_EQ(mainCamera->aspectRatio,
                                static_cast<float>(current.width) / current.height);
                EXPECT_TRUE(standingStateRestored(current.width, current.height));
            }
        }
        EXPECT_EQ(countLiveGLObjects(), built) << "resizing must release what it replaces";
    }
    std::string output = capture.finish();
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    EXPECT_EQ(output.find("Failed"), std::string::npos) << output;
    EXPECT_FALSE(HasFailure()) << "the messages of the failures above were captured:\n" << output;
}
