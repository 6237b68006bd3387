// The demo started with an options.ini a user could have written badly: malformed values, sizes
// of zero or below, and sizes beyond what the OpenGL implementation can render. Each either
// runs with the documented default (and a line saying so where the value was unusable) and
// closes cleanly on Escape, or ends at start-up with a line that names the problem and exit
// code 255. Never a crash, a hang, or an unusable window reported as success.
#include "GLTestContext.h"
#include "RobustnessSupport.h"

#include "gpu/Framebuffer.h"

#include <string>

namespace {

bool mentions(const std::string& output, const std::string& word) {
    for (const std::string& line : ProcessRunner::lines(output)) {
        if (line.find(word) != std::string::npos && line.rfind("OpenGL Error: ", 0) != 0) {
            return true;
        }
    }
    return false;
}

} // namespace

// GLTest: the driver's size limits are read from the test context.
class BadOptionsRunGLTest : public GLTest {
protected:
    // Runs with the options, closes with Escape and expects a clean run at `expectedSize`.
    void expectRunsAt(const std::string& options, const std::string& expectedSize,
                      const std::vector<std::string>& reportedKeys) {
        SCOPED_TRACE(options);
        RunDirectory directory(options);
        std::string size;
        ProcessResult result = runDemo(directory, true, &size);
        EXPECT_TRUE(result.windowSeen) << result.output;
        EXPECT_FALSE(result.timedOut) << result.output;
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(size, expectedSize);
        EXPECT_EQ(countGLErrorLines(result.output), 0) << result.output;
        for (const std::string& key : reportedKeys) {
            EXPECT_TRUE(mentions(result.output, key)) << "no line about " << key << ":\n"
                                                      << result.output;
        }
    }

    // Runs with the options and expects start-up to end with exit code 255 and a line naming
    // the offending value.
    void expectRefused(const std::string& options, const std::string& value) {
        SCOPED_TRACE(options);
        RunDirectory directory(options);
        // Escape as well, so a program that wrongly starts up ends at once instead of running on.
        ProcessResult result = runDemo(directory, true);
        EXPECT_FALSE(result.timedOut) << result.output;
        EXPECT_EQ(result.exitCode, 255) << result.output;
        EXPECT_TRUE(mentions(result.output, value)) << "no line naming " << value << ":\n"
                                                    << result.output;
        EXPECT_EQ(result.output.find("Importing file from"), std::string::npos)
            << "the scene was built for a window that cannot be rendered:\n"
            << result.output;
    }
};

TEST_F(BadOptionsRunGLTest, UnusableSizesFallBackToTheirDefaultsWithALine) {
    expectRunsAt("[Window]\nwidth=0\nheight=-5\n", "1024x768", {"width", "height"});
    expectRunsAt("[Window]\nwidth=-64\nheight=48\n", "1024x48", {"width"});
    expectRunsAt("[Window]\nwidth=abc\nheight=48\n", "1024x48", {"width"});
}

TEST_F(BadOptionsRunGLTest, MalformedValuesAndFilesReadLikeTheWindowsCall) {
    // Trailing text is ignored, a number beyond int is absent, other keys take any text.
    expectRunsAt("[Window]\nwidth=72px\nheight=99999999999999\nfullscreen=yes\n"
                 "updateShadowMaps=maybe\n",
                 "72x768", {});
    // Binary junk before the section neither crashes the reader nor hides the section.
    expectRunsAt(randomBytes(2000, 7) + "\n[Window]\nwidth=64\nheight=48\n", "64x48", {});
}

TEST_F(BadOptionsRunGLTest, SizesBeyondTheDriversLimitsEndStartUpWithExitCode255) {
    const int limit = Framebuffer::largestSize();
    ASSERT_GT(limit, 0);
    const std::string tooWide = std::to_string(limit + 1);
    expectRefused("[Window]\nwidth=" + tooWide + "\nheight=48\n", tooWide);
    expectRefused("[Window]\nwidth=64\nheight=" + tooWide + "\n", tooWide);
    // Beyond what the window system can open at all.
    expectRefused("[Window]\nwidth=100000\nheight=100000\n", "");
}

TEST_F(BadOptionsRunGLTest, TheLargestSupportedSizeStillRuns) {
    const int limit = Framebuffer::largestSize();
    ASSERT_GT(limit, 0);
    expectRunsAt("[Window]\nwidth=" + std::to_string(limit) + "\nheight=16\n",
                 std::to_string(limit) + "x16", {});
}
