// Every asset file missing, empty, cut in half or replaced by random bytes of the same size: the
// loader that reads it says so in its own line, the scene is built from what remains, and the
// program renders and closes with exit code 0 on Escape, without an OpenGL error.
#include "GLTestContext.h"
#include "RobustnessSupport.h"

#include <FreeImage.h>

#include <filesystem>
#include <string>

namespace {

const char* const smallWindow = "[Window]\nwidth=64\nheight=48\n";

enum class Damage { Missing, Empty, Truncated, Random };

const char* nameOf(Damage damage) {
    switch (damage) {
    case Damage::Missing:
        return "missing";
    case Damage::Empty:
        return "empty";
    case Damage::Truncated:
        return "truncated";
    default:
        return "random bytes";
    }
}

void damage(const RunDirectory& directory, const std::string& asset, Damage how, unsigned seed) {
    std::string content = directory.read(asset);
    switch (how) {
    case Damage::Missing:
        std::filesystem::remove(directory.file(asset));
        break;
    case Damage::Empty:
        directory.write(asset, "");
        break;
    case Damage::Truncated:
        directory.write(asset, content.substr(0, content.size() / 2));
        break;
    case Damage::Random:
        directory.write(asset, randomBytes(content.size(), seed));
        break;
    }
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The line the loader of `asset` prints when the file cannot be read at all, or "" for files
// read by the model importer on the side (material files), which reports nothing itself.
std::string unreadableLine(const std::string& asset, const std::string& intactOutput) {
    if (endsWith(asset, ".obj")) {
        return "Could not import file from " + asset + "! Does it exist?";
    }
    if (endsWith(asset, ".gif")) {
        return asset + " could not be opened as an animated image";
    }
    if (intactOutput.find("Loading Texture from: " + asset + "\n") != std::string::npos) {
        return asset + " not found or unable to read!";
    }
    return "";
}

// A plain image of the given size in the format, written over `path`.
void writeImage(const std::filesystem::path& path, int width, int height,
                FREE_IMAGE_FORMAT format) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, format == FIF_GIF ? 8 : 24);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), 0));
    FreeImage_Unload(bitmap);
}

// The first image the intact run loaded as a material texture.
std::string firstMaterialTexture(const std::string& intactOutput) {
    const std::string prefix = "Loading Texture from: ";
    for (const std::string& line : ProcessRunner::lines(intactOutput)) {
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(prefix.size());
        }
    }
    return "";
}

ProcessResult runClosed(const RunDirectory& directory) {
    ProcessResult result = runDemo(directory, true);
    EXPECT_TRUE(result.windowSeen) << result.output;
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(countGLErrorLines(result.output), 0) << result.output;
    return result;
}

} // namespace

class BrokenAssetsRunGLTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        RunDirectory directory(smallWindow);
        intactOutput = runDemo(directory, true).output;
    }
    static std::string intactOutput;
};

std::string BrokenAssetsRunGLTest::intactOutput;

TEST_F(BrokenAssetsRunGLTest, WithEveryAssetIntactNothingIsReportedMissing) {
    ASSERT_FALSE(builtAssetFiles().empty()) << "no Assets/ folder in " << CATHEDRAL_RUNTIME_DIR;
    EXPECT_EQ(intactOutput.find("not found or unable to read"), std::string::npos) << intactOutput;
    EXPECT_EQ(intactOutput.find("Could not import file"), std::string::npos) << intactOutput;
    EXPECT_EQ(intactOutput.find("could not be opened"), std::string::npos) << intactOutput;
    EXPECT_EQ(countGLErrorLines(intactOutput), 0) << intactOutput;
}

TEST_F(BrokenAssetsRunGLTest, EachDamagedAssetIsReportedAndTheSceneStillRenders) {
    unsigned seed = 11;
    for (const std::string& asset : builtAssetFiles()) {
        const std::string expected = unreadableLine(asset, intactOutput);
        for (Damage how : {Damage::Missing, Damage::Empty, Damage::Truncated, Damage::Random}) {
            SCOPED_TRACE(asset + " " + nameOf(how));
            RunDirectory directory(smallWindow);
            damage(directory, asset, how, seed++);
            ProcessResult result = runClosed(directory);
            // A cut or garbled file may still decode in part; one that is gone or empty never.
            if (!expected.empty() && (how == Damage::Missing || how == Damage::Empty)) {
                // An empty animation opens but has no page, which its loader says instead.
                EXPECT_TRUE(hasLine(result.output, expected) ||
                            (how == Damage::Empty &&
                             hasLine(result.output, asset + " holds no image pages")))
                    << result.output;
            }
        }
    }
}

TEST_F(BrokenAssetsRunGLTest, WithNoAssetsAtAllTheEmptySceneStillRenders) {
    RunDirectory directory(smallWindow);
    std::filesystem::remove_all(directory.file("Assets"));
    ProcessResult result = runClosed(directory);
    for (const std::string& asset : builtAssetFiles()) {
        std::string expected = unreadableLine(asset, intactOutput);
        if (endsWith(asset, ".obj") || endsWith(asset, ".gif")) {
            EXPECT_TRUE(hasLine(result.output, expected)) << result.output;
        }
    }
}

// A well-formed image one pixel wider than the driver's largest texture: the loader refuses it
// with its line instead of leaving a texture without storage behind an OpenGL error.
TEST_F(BrokenAssetsRunGLTest, AnImageLargerThanTheDriverSupportsIsRefusedWithoutAGLError) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    ASSERT_GT(largest, 0);
    const std::string texture = firstMaterialTexture(intactOutput);
    ASSERT_FALSE(texture.empty()) << intactOutput;
    RunDirectory directory(smallWindow);
    writeImage(directory.file(texture), largest + 1, 1, FIF_PNG);
    writeImage(directory.file("Assets/fire_anim.gif"), 1, largest + 1, FIF_GIF);
    ProcessResult result = runClosed(directory);
    EXPECT_TRUE(hasLine(result.output, texture + " not found or unable to read!")) << result.output;
    EXPECT_NE(result.output.find("Assets/fire_anim.gif"), std::string::npos) << result.output;
}
