// The options reader: what the four start-up keys read as, whatever state options.ini is in.
#include "app/IniFile.h"
#include "app/Application.h"
#include "app/RenderSettings.h"

#include "OutputCapture.h"
#include "ScratchDirectory.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace {

IniFile iniFrom(const std::string& text) {
    std::istringstream stream(text);
    return IniFile::parse(stream);
}

int widthIn(const std::string& text) {
    return iniFrom(text).getInt("Window", "width", 1024);
}

} // namespace

TEST(IniFileTest, AbsentFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(IniFile::load("no/such/options.ini").getInt("Window", "width", 1024), 1024);
    EXPECT_EQ(widthIn(""), 1024);
    EXPECT_EQ(widthIn("[Other]\nwidth=800\n"), 1024);
    EXPECT_EQ(widthIn("[Window]\nheight=600\n"), 1024);
    // A key before any section header belongs to no section.
    EXPECT_EQ(widthIn("width=800\n[Window]\n"), 1024);
    ScratchDirectory scratch;
    scratch.write("options.ini", "[Window]\nheight=222\n");
    EXPECT_EQ(IniFile::load(scratch.file("options.ini")).getInt("Window", "height", 768), 222);
    EXPECT_EQ(IniFile::load(scratch.file("options.ini")).getInt("Window", "width", 1024), 1024);
    // A directory of that name is not a file.
    EXPECT_EQ(IniFile::load(scratch.path).getInt("Window", "width", 7), 7);
}

// How each kind of text reads as "width" of section "Window" (default 1024).
TEST(IniFileTest, ValuesReadAsTheirLeadingDecimalNumber) {
    const std::pair<std::string, int> cases[] = {
        {"[WINDOW]\nWIDTH=800\n", 800},
        {"[window]\nWiDtH=801\n", 801},
        {"[Window]\nwidth=640\nwidth=320\n", 640}, // the first occurrence wins
        {"[Window]\nwidth=12px\n", 12},
        {"[Window]\nwidth=abc\n", 0},
        {"[Window]\nwidth=\n", 1024},
        {"[Window]\nwidth=   \n", 1024},
        {"[Window]\nwidth=-5\n", -5},
        {"[Window]\nwidth=+7\n", 7},
        {"[Window]\nwidth=0x20\n", 0},
        {"[Window]\nwidth=640 ; comment\n", 640},
        {"[Window]\n   width   =   900   \n", 900},
        {"\xEF\xBB\xBF[Window]\r\nwidth=1280\r\n", 1280},
        {"[Window]\n; width=1\n# width=2\nwidth=3\n", 3},
        {"[Window\nwidth=800\n", 1024},
        {"[Window]\nwidth 800\n", 1024},
        {"[Window]\n[Other]\nwidth=300\n", 1024},
        {"[Window]\nwidth=2147483647\n", 2147483647},
        {"[Window]\nwidth=-2147483648\n", -2147483647 - 1},
        {"[Window]\nwidth=2147483648\n", 1024},
        {"[Window]\nwidth=-2147483649\n", 1024},
        {"[Window]\nwidth=" + std::string(100000, '9'), 1024},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(widthIn(text), expected) << text.substr(0, 60);
    }
    EXPECT_EQ(iniFrom("[Window]\nwidth=1\n[Other]\nheight=200\n").getInt("Other", "height", 1),
              200);
}

TEST(IniFileTest, BinaryNoiseDoesNotStopTheReader) {
    std::string noise(1 << 20, '\0');
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>(i * 7919 % 256);
    }
    EXPECT_EQ(widthIn(noise + "\n[Window]\nwidth=800"), 800);
}

class ApplicationOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { RenderSettings::updateShadowMaps = true; }
    void TearDown() override { RenderSettings::updateShadowMaps = true; }
    Application application;
};

TEST_F(ApplicationOptionsTest, NoOptionsGiveAWindowed1024x768WithShadowMapUpdates) {
    RenderSettings::updateShadowMaps = false;
    application.readOptions(IniFile());
    EXPECT_EQ(application.width, 1024);
    EXPECT_EQ(application.height, 768);
    EXPECT_FALSE(application.fullscreen);
    EXPECT_TRUE(RenderSettings::updateShadowMaps);
}

TEST_F(ApplicationOptionsTest, EachKeyLandsInItsField) {
    application.readOptions(
        iniFrom("[Window]\nwidth=1280\nheight=720\nfullscreen=2\nupdateShadowMaps=0\n"));
    EXPECT_EQ(application.width, 1280);
    EXPECT_EQ(application.height, 720);
    EXPECT_TRUE(application.fullscreen);
    EXPECT_FALSE(RenderSettings::updateShadowMaps);

    application.readOptions(iniFrom("[Window]\nfullscreen=0\nupdateShadowMaps=-3\n"));
    EXPECT_FALSE(application.fullscreen);
    EXPECT_TRUE(RenderSettings::updateShadowMaps);
}

TEST_F(ApplicationOptionsTest, ASizeBelowOneIsReportedAndReplacedByItsDefault) {
    std::string output =
        captureOutput([&] { application.readOptions(iniFrom("[Window]\nwidth=0\nheight=-20\n")); });
    EXPECT_EQ(application.width, 1024);
    EXPECT_EQ(application.height, 768);
    EXPECT_EQ(output, "options.ini: width 0 is not a positive size; using 1024\n"
                      "options.ini: height -20 is not a positive size; using 768\n");

    // what the file holds comes first, then how it was read
    output = captureOutput(
        [&] { application.readOptions(iniFrom("[Window]\nwidth= abc \nheight=1\n")); });
    EXPECT_EQ(application.width, 1024);
    EXPECT_EQ(application.height, 1);
    EXPECT_EQ(output,
              "options.ini: width \"abc\" (read as 0) is not a positive size; using 1024\n");
}

TEST(IniFileTest, VsyncIsOptionalAndReadLikeEveryOtherKey) {
    EXPECT_EQ(Application::readVsync(iniFrom("[Window]\nwidth=640\n")), std::nullopt);
    EXPECT_EQ(Application::readVsync(iniFrom("[Window]\nvsync=\n")), std::nullopt);
    EXPECT_EQ(Application::readVsync(iniFrom("[Window]\nvsync=-1\n")), std::nullopt);
    EXPECT_EQ(Application::readVsync(iniFrom("[Window]\nvsync=0\n")), false);
    EXPECT_EQ(Application::readVsync(iniFrom("[window]\nVSYNC = 1 ; on\n")), true);
    EXPECT_EQ(Application::readVsync(iniFrom("[Window]\nvsync=2\n")), true);
    EXPECT_EQ(Application::readVsync(iniFrom("[Window]\nvsync=yes\n")), false); // not a number: 0
}
