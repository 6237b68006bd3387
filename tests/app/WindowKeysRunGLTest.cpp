// The window keys and the mouse on the real demo, driven with xdotool under the test display: a
// resized window's screenshot fills the new size, hiding and showing the window again renders
// again, F8 steps through views that all look different, F9 and F11 change the frame and come
// back, the overlay panel's exposure slider brightens and darkens the frame, R rebuilds the
// shaders from edited files and keeps a program that no longer builds, and no run prints an
// OpenGL error.
#include "RobustnessSupport.h"
#include "app/Overlay.h"
#include "base/DebugView.h"
#include "gpu/ShaderManager.h"

#include <FreeImage.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr; // bottom row first
};

// Waits until F12's file is complete (its name is reserved empty first) and reads it.
Picture waitForScreenshot(const RunDirectory& directory, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "screenshot-%04d.png", number);
    std::string path = directory.file(name);
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), 0);
        if (!image) {
            continue;
        }
        Picture picture;
        picture.width = static_cast<int>(FreeImage_GetWidth(image));
        picture.height = static_cast<int>(FreeImage_GetHeight(image));
        for (int y = 0; y < picture.height; ++y) {
            const unsigned char* row = FreeImage_GetScanLine(image, y);
            picture.bgr.insert(picture.bgr.end(), row, row + picture.width * 3);
        }
        FreeImage_Unload(image);
        return picture;
    }
    ADD_FAILURE() << name << " never appeared";
    return {};
}

// Mean brightness of the picture's top-right quarter: black there means the frame stopped short.
double topRightBrightness(const Picture& picture) {
    double sum = 0.0;
    int count = 0;
    for (int y = picture.height / 2; y < picture.height; ++y) {
        for (int x = picture.width / 2; x < picture.width; ++x) {
            const unsigned char* p = &picture.bgr[(static_cast<size_t>(y) * picture.width + x) * 3];
            sum += p[0] + p[1] + p[2];
            ++count;
        }
    }
    return count ? sum / (3.0 * count) : 0.0;
}

// Mean brightness of the picture's bottom half, where the overlay does not reach.
double bottomBrightness(const Picture& picture) {
    double sum = 0.0;
    size_t half = picture.bgr.size() / 2; // bottom row first
    for (size_t i = 0; i < half; ++i) {
        sum += picture.bgr[i];
    }
    return half ? sum / static_cast<double>(half) : 0.0;
}

double meanDifference(const Picture& a, const Picture& b) {
    if (a.bgr.size() != b.bgr.size() || a.bgr.empty()) {
        return 255.0;
    }
    double sum = 0.0;
    for (size_t i = 0; i < a.bgr.size(); ++i) {
        sum += std::abs(static_cast<int>(a.bgr[i]) - static_cast<int>(b.bgr[i]));
    }
    return sum / static_cast<double>(a.bgr.size());
}

bool allRed(const Picture& picture) {
    for (size_t i = 0; i + 2 < picture.bgr.size(); i += 3) {
        if (picture.bgr[i] != 0 || picture.bgr[i + 1] != 0 || picture.bgr[i + 2] != 255) {
            return false;
        }
    }
    return !picture.bgr.empty();
}

void xdotool(const std::string& arguments) {
    ProcessRunner::capture("xdotool " + arguments);
}

ProcessResult runWithWindow(const RunDirectory& directory,
                            const std::function<void(const std::string&)>& drive) {
    ProcessOptions options;
    options.workingDirectory = directory.path;
    options.timeoutSeconds = 400;
    options.findWindow = true;
    options.closeWithEscape = true;
    options.windowAfterOutput = "Loading Shaders!";
    options.onWindow = drive;
    return ProcessRunner::runCathedral(options);
}

// Exit code 0 and no error line but the shader compiler's own, `compilerErrors` of them.
void expectNoErrorLine(const ProcessResult& result, int compilerErrors = 0) {
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    int others = 0;
    int compiler = 0;
    for (const std::string& line : ProcessRunner::lines(result.output)) {
        if (line.find("Error") != std::string::npos) {
            ++(line.find("Source = Shader Compiler") != std::string::npos ? compiler : others);
        }
    }
    EXPECT_EQ(others, 0) << result.output;
    EXPECT_EQ(compiler, compilerErrors) << result.output;
}

} // namespace

class WindowKeysRunGLTest : public ::testing::Test {};

TEST_F(WindowKeysRunGLTest, AResizedOrHiddenAndShownWindowIsFilledByTheFrame) {
    RunDirectory directory("[Window]\nwidth=200\nheight=150\n");
    std::vector<Picture> shots;
    ProcessResult result = runWithWindow(directory, [&](const std::string& window) {
        xdotool("windowsize " + window + " 320 240");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        xdotool("key --window " + window + " F12");
        shots.push_back(waitForScreenshot(directory, 1));
        xdotool("windowunmap --sync " + window);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        xdotool("windowmap --sync " + window);
        // Unmapping took the keyboard focus away; without a window manager nobody gives it back.
        xdotool("windowfocus --sync " + window);
        xdotool("windowsize " + window + " 97 203");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        xdotool("key --window " + window + " F12");
        shots.push_back(waitForScreenshot(directory, 2));
    });
    expectNoErrorLine(result);
    EXPECT_TRUE(hasLine(result.output, "Screenshot saved: screenshot-0002.png")) << result.output;
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].width, 320);
    EXPECT_EQ(shots[0].height, 240);
    EXPECT_EQ(shots[1].width, 97);
    EXPECT_EQ(shots[1].height, 203);
    for (const Picture& shot : shots) {
        EXPECT_GT(topRightBrightness(shot), 10.0);
    }
}

TEST_F(WindowKeysRunGLTest, DebugViewsOverlayAndFullScreenChangeTheFrameAndComeBack) {
    RunDirectory directory("[Window]\nwidth=200\nheight=150\n");
    std::vector<Picture> views;
    Picture overlay;
    Picture fullscreen;
    Picture windowed;
    ProcessResult result = runWithWindow(directory, [&](const std::string& window) {
        std::string keys = "key --window " + window + " ";
        // The tour moves on between the pictures, but far less than one view differs from
        // the next.
        for (int view = 0; view < kDebugViewCount; ++view) {
            xdotool(keys + "F12");
            views.push_back(waitForScreenshot(directory, view + 1));
            xdotool(keys + "F8");
        }
        xdotool(keys + "F9");
        xdotool(keys + "F12");
        overlay = waitForScreenshot(directory, kDebugViewCount + 1);
        xdotool(keys + "F9");
        xdotool(keys + "F11");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        xdotool(keys + "F12");
        fullscreen = waitForScreenshot(directory, kDebugViewCount + 2);
        xdotool(keys + "F11");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        xdotool(keys + "F12");
        windowed = waitForScreenshot(directory, kDebugViewCount + 3);
    });
    expectNoErrorLine(result);
    char lastShot[64];
    std::snprintf(lastShot, sizeof lastShot, "Screenshot saved: screenshot-%04d.png",
                  kDebugViewCount + 3);
    for (std::string line :
         {std::string("Debug View: ") + debugViewName(static_cast<DebugView>(kDebugViewCount - 1)),
          std::string("Debug View: Final Image"), std::string("Overlay Enabled: 1"),
          std::string("Overlay Enabled: 0"), std::string("Fullscreen Enabled: 1"),
          std::string("Fullscreen Enabled: 0"), std::string(lastShot)}) {
        EXPECT_TRUE(hasLine(result.output, line)) << line << "\n" << result.output;
    }
    ASSERT_EQ(views.size(), static_cast<size_t>(kDebugViewCount));
    for (size_t a = 0; a < views.size(); ++a) {
        for (size_t b = a + 1; b < views.size(); ++b) {
            EXPECT_GT(meanDifference(views[a], views[b]), 8.0) << "views " << a << " and " << b;
        }
    }
    EXPECT_EQ(overlay.width, 200);
    EXPECT_GT(meanDifference(overlay, views[0]), 2.0);
    int screenWidth = 0;
    int screenHeight = 0;
    std::sscanf(ProcessRunner::capture("xdotool getdisplaygeometry").c_str(), "%d %d", &screenWidth,
                &screenHeight);
    EXPECT_EQ(fullscreen.width, screenWidth);
    EXPECT_EQ(fullscreen.height, screenHeight);
    EXPECT_EQ(windowed.width, 200);
    EXPECT_EQ(windowed.height, 150);
}

// The panel's exposure slider clicked near its top and its bottom end: the frame follows
// exposure, each change prints its line, and the right button dragged over the panel turns
// nothing there (the tour drives the camera, so only the slider may change the frame).
TEST_F(WindowKeysRunGLTest, TheOverlayPanelsExposureSliderMovesTheFrame) {
    const int width = 1024;
    RunDirectory directory("[Window]\nwidth=1024\nheight=768\n");
    Picture start;
    Picture brighter;
    Picture darker;
    ProcessResult result = runWithWindow(directory, [&](const std::string& window) {
        std::string keys = "key --window " + window + " ";
        int y = static_cast<int>(Overlay::sliderCentreY(0));
        auto clickAt = [&](float share) {
            int x = static_cast<int>(Overlay::sliderX(width, share));
            xdotool("mousemove --window " + window + " " + std::to_string(x) + " " +
                    std::to_string(y));
            xdotool("mousedown 1");
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            xdotool("mouseup 1");
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        };
        xdotool(keys + "F9");
        // The right button across the slider: the panel leaves it to the demo.
        xdotool("mousemove --window " + window + " " +
                std::to_string(static_cast<int>(Overlay::sliderX(width, 0.1f))) + " " +
                std::to_string(y));
        xdotool("mousedown 3");
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        xdotool("mousemove_relative 120 0");
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        xdotool("mouseup 3");
        xdotool(keys + "F12");
        start = waitForScreenshot(directory, 1);
        clickAt(0.9f);
        xdotool(keys + "F12");
        brighter = waitForScreenshot(directory, 2);
        clickAt(0.02f);
        xdotool(keys + "F12");
        darker = waitForScreenshot(directory, 3);
    });
    expectNoErrorLine(result);
    std::vector<std::string> lines;
    for (const std::string& line : ProcessRunner::lines(result.output)) {
        if (line.rfind("Tunable ", 0) == 0) {
            lines.push_back(line);
        }
    }
    ASSERT_EQ(lines.size(), 2u) << result.output;
    EXPECT_EQ(lines[0].rfind("Tunable exposure: ", 0), 0u) << lines[0];
    float high = std::stof(lines[0].substr(18));
    float low = std::stof(lines[1].substr(18));
    EXPECT_GT(high, 6.0f);
    EXPECT_LT(low, 0.5f);
    EXPECT_GT(bottomBrightness(brighter), bottomBrightness(start) + 20.0);
    EXPECT_LT(bottomBrightness(darker), bottomBrightness(start) - 10.0);
}

TEST_F(WindowKeysRunGLTest, RRebuildsTheShadersFromTheirFilesAndKeepsOneThatNoLongerBuilds) {
    RunDirectory directory("[Window]\nwidth=200\nheight=150\n");
    const std::string fxaa = "Shader/postprocess_fxaa.frag";
    std::vector<Picture> shots;
    ProcessResult result = runWithWindow(directory, [&](const std::string& window) {
        std::string keys = "key --window " + window + " ";
        xdotool(keys + "F12");
        shots.push_back(waitForScreenshot(directory, 1));
        // The last pass of the frame turned into a solid red; then broken.
        directory.write(fxaa, "#version 330 core\nlayout(location = 0) out vec4 fragColor;\n"
                              "void main() { fragColor = vec4(1.0, 0.0, 0.0, 1.0); }\n");
        xdotool(keys + "r F12");
        shots.push_back(waitForScreenshot(directory, 2));
        directory.write(fxaa, "#version 330 core\nvoid main( {\n");
        xdotool(keys + "r F12");
        shots.push_back(waitForScreenshot(directory, 3));
    });
    expectNoErrorLine(result, 1);
    const std::string all = std::to_string(ShaderManager::programs().size());
    const std::string allButOne = std::to_string(ShaderManager::programs().size() - 1);
    const std::string reloaded = "Shaders reloaded: " + all + "\n";
    const std::string kept = fxaa + " - Failed to compile Shader: ";
    size_t rebuilt = result.output.find(reloaded);
    size_t failed = result.output.find(kept);
    EXPECT_NE(rebuilt, std::string::npos) << result.output;
    EXPECT_NE(failed, std::string::npos) << result.output;
    EXPECT_LT(rebuilt, failed) << result.output;
    EXPECT_NE(result.output.find("Kept the previous build of fxaa\nShaders reloaded: " + allButOne +
                                 "\n"),
              std::string::npos)
        << result.output;
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_FALSE(allRed(shots[0]));
    EXPECT_TRUE(allRed(shots[1]));
    EXPECT_TRUE(allRed(shots[2])); // the red build kept
}
