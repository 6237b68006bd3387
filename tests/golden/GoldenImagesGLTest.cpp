// The golden images: a fixed set of frames rendered through the program's own pipeline at
// 320 x 240 (tour views with the start switches, the nave in every other switch state and in
// every debug view, from the program's own tables), each compared with its reference picture in
// this folder. Any change of the
// picture fails here until tools/bench/golden-references.sh renders the references again, so the
// change is seen in review. A failing frame is written beside its reference and their amplified
// difference into the build's golden-failures/ folder.
#include "GLTestContext.h"
#include "StartSwitches.h"
#include "TestPipeline.h"

#include "app/RenderSettings.h"
#include "base/DebugView.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const int width = 320;
const int height = 240;

// A frame matches its reference when no channel of any pixel differs by more than
// `pixelTolerance` 8-bit steps, but for at most `outlierShare` of the pixels. The same build
// renders the same frame every time (the dither is a pattern of the pixel); the bounds absorb
// what a change of float evaluation order can do: a step of rounding here and there, which the
// anti-aliasing's edge threshold may turn into a larger change at a few edge pixels.
const int pixelTolerance = 1;
const double outlierShare = 0.001;

struct GoldenFrame {
    std::string name;
    double tourTime;
    std::function<void()> switches; // from the start state
};

// The tour at twelve times with the start switches; at the tour's start, every other state of
// each switch that changes the frame (as the key table lists them: "light-mode-1", "bloom-0",
// ...) and every debug view but the final image ("view-world-position", ...).
std::vector<GoldenFrame> goldenFrames() {
    std::vector<GoldenFrame> frames;
    for (double t : {0.0, 8.0, 16.0, 24.0, 30.0, 40.0, 48.0, 55.0, 64.0, 77.0, 90.0, 104.0}) {
        std::string seconds = std::to_string(static_cast<int>(t));
        frames.push_back(
            {"tour-" + std::string(3 - seconds.size(), '0') + seconds + "s", t, [] {}});
    }
    for (const KeySwitch* keySwitch : frameSwitches()) {
        int start = keySwitch->setting.get();
        for (int state = 0; state < keySwitch->setting.states; ++state) {
            if (state != start) {
                frames.push_back({std::string(keySwitch->benchName) + "-" + std::to_string(state),
                                  0.0, [keySwitch, state] { keySwitch->setting.set(state); }});
            }
        }
    }
    for (const DebugViewRow& row : debugViews) {
        if (row.view != DebugView::FinalImage) {
            DebugView view = row.view;
            frames.push_back({"view-" + debugViewArgument(view), 0.0,
                              [view] { RenderSettings::debugView = view; }});
        }
    }
    return frames;
}

struct Picture {
    std::vector<unsigned char> rgb; // bottom row first
    bool empty() const { return rgb.empty(); }
};

Picture readWindow() {
    Picture picture{std::vector<unsigned char>(static_cast<size_t>(width) * height * 3)};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

// An opaque 24-bit PNG of `pictures` side by side, bottom row first like the window.
bool savePng(const std::string& path, const std::vector<const Picture*>& pictures) {
    int columns = static_cast<int>(pictures.size());
    FIBITMAP* image = FreeImage_Allocate(width * columns, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, y);
        for (int p = 0; p < columns; ++p) {
            for (int x = 0; x < width; ++x) {
                const unsigned char* rgb =
                    &pictures[p]->rgb[(static_cast<size_t>(y) * width + x) * 3];
                BYTE* out = row + (p * width + x) * 3;
                out[FI_RGBA_RED] = rgb[0];
                out[FI_RGBA_GREEN] = rgb[1];
                out[FI_RGBA_BLUE] = rgb[2];
            }
        }
    }
    bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_Z_BEST_COMPRESSION) != 0;
    FreeImage_Unload(image);
    return saved;
}

// The reference picture, empty when it cannot be read or has another size.
Picture loadPng(const std::string& path) {
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (!loaded) {
        return {};
    }
    FIBITMAP* image = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    Picture picture;
    if (image && static_cast<int>(FreeImage_GetWidth(image)) == width &&
        static_cast<int>(FreeImage_GetHeight(image)) == height) {
        picture.rgb.resize(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            const BYTE* row = FreeImage_GetScanLine(image, y);
            for (int x = 0; x < width; ++x) {
                unsigned char* rgb = &picture.rgb[(static_cast<size_t>(y) * width + x) * 3];
                rgb[0] = row[x * 3 + FI_RGBA_RED];
                rgb[1] = row[x * 3 + FI_RGBA_GREEN];
                rgb[2] = row[x * 3 + FI_RGBA_BLUE];
            }
        }
    }
    FreeImage_Unload(image);
    return picture;
}

// Pixels with a channel beyond the tolerance; `difference` gets each pixel's differences
// amplified 16 times.
int pixelsBeyondTolerance(const Picture& frame, const Picture& reference, Picture& difference) {
    difference.rgb.assign(frame.rgb.size(), 0);
    int beyond = 0;
    for (size_t i = 0; i < frame.rgb.size(); i += 3) {
        int largest = 0;
        for (size_t c = i; c < i + 3; ++c) {
            int d = std::abs(frame.rgb[c] - reference.rgb[c]);
            largest = std::max(largest, d);
            difference.rgb[c] = static_cast<unsigned char>(std::min(255, d * 16));
        }
        beyond += largest > pixelTolerance ? 1 : 0;
    }
    return beyond;
}

class GoldenImagesGLTest : public GLTest {
protected:
    void TearDown() override { restoreStartSwitches(); }
};

TEST_F(GoldenImagesGLTest, EveryFrameMatchesItsReference) {
    const bool update = std::getenv("CATHEDRAL_UPDATE_GOLDEN") != nullptr;
    const fs::path references = CATHEDRAL_GOLDEN_DIR;
    const fs::path failures = CATHEDRAL_GOLDEN_FAILURES;
    TestPipeline pipeline(width, height);
    double shown = 0.0;
    for (const GoldenFrame& golden : goldenFrames()) {
        restoreStartSwitches();
        golden.switches();
        if (golden.tourTime < shown) {
            pipeline.pipeline.restartTour();
            shown = 0.0;
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        pipeline.pipeline.frame(golden.tourTime - shown, 1.0 / 60.0);
        shown = golden.tourTime;
        Picture frame = readWindow();
        std::string reference = (references / (golden.name + ".png")).string();
        if (update) {
            EXPECT_TRUE(savePng(reference, {&frame})) << reference;
            continue;
        }
        Picture expected = loadPng(reference);
        if (expected.empty()) {
            ADD_FAILURE() << reference << " cannot be read as a " << width << " x " << height
                          << " PNG: run tools/bench/golden-references.sh";
            continue;
        }
        Picture difference;
        int beyond = pixelsBeyondTolerance(frame, expected, difference);
        if (beyond > outlierShare * width * height) {
            fs::create_directories(failures);
            std::string written = (failures / (golden.name + ".png")).string();
            savePng(written, {&frame, &expected, &difference});
            ADD_FAILURE() << golden.name << ": " << beyond << " pixels differ by more than "
                          << pixelTolerance << " step from " << reference
                          << "\n  frame, reference and difference (x16) side by side: " << written;
        }
    }
}

} // namespace
