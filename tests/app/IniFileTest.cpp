// The options reader: what the four start-up keys read as, whatever state options.ini is in.
#include "app/IniFile.h"
#include "app/Application.h"
#include "app/RenderSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
    // A directory of that name is not a file.
    EXPECT_EQ(
        IniFile::load(std::filesystem::temp_directory_path().string()).getInt("Window", "width", 7),
        7);
}

TEST(IniFileTest, SectionAndKeyNamesIgnoreLetterCase) {
    EXPECT_EQ(widthIn("[WINDOW]\nWIDTH=800\n"), 800);
    EXPECT_EQ(widthIn("[window]\nWiDtH=801\n"), 801);
    EXPECT_EQ(iniFrom("[Window]\nupdateshadowmaps=0\n").getInt("Window", "updateShadowMaps", 1), 0);
}

TEST(IniFileTest, LaterSectionsAndKeysDoNotLeakIntoEachOther) {
    IniFile ini = iniFrom("[Window]\nwidth=800\n[Other]\nwidth=300\nheight=200\n");
    EXPECT_EQ(ini.getInt("Window", "width", 1), 800);
    EXPECT_EQ(ini.getInt("Window", "height", 768), 768);
    EXPECT_EQ(ini.getInt("Other", "height", 1), 200);
    // The first occurrence of a key wins.
    EXPECT_EQ(widthIn("[Window]\nwidth=640\nwidth=320\n"), 640);
}

TEST(IniFileTest, MalformedValuesReadAsTheirLeadingNumber) {
    EXPECT_EQ(widthIn("[Window]\nwidth=12px\n"), 12);
    EXPECT_EQ(widthIn("[Window]\nwidth=abc\n"), 0);
    EXPECT_EQ(widthIn("[Window]\nwidth=\n"), 1024);
    EXPECT_EQ(widthIn("[Window]\nwidth=   \n"), 1024);
    EXPECT_EQ(widthIn("[Window]\nwidth=-5\n"), -5);
    EXPECT_EQ(widthIn("[Window]\nwidth=+7\n"), 7);
    EXPECT_EQ(widthIn("[Window]\nwidth=0x20\n"), 0);
    EXPECT_EQ(widthIn("[Window]\nwidth=640 ; comment\n"), 640);
    EXPECT_EQ(widthIn("[Window]\n   width   =   900   \n"), 900);
    EXPECT_EQ(widthIn("\xEF\xBB\xBF[Window]\r\nwidth=1280\r\n"), 1280);
    EXPECT_EQ(widthIn("[Window]\n; width=1\n# width=2\nwidth=3\n"), 3);
    EXPECT_EQ(widthIn("[Window\nwidth=800\n"), 1024);
    EXPECT_EQ(widthIn("[Window]\nwidth 800\n"), 1024);
}

TEST(IniFileTest, NumbersOutsideTheIntRangeGiveTheDefault) {
    EXPECT_EQ(widthIn("[Window]\nwidth=2147483647\n"), 2147483647);
    EXPECT_EQ(widthIn("[Window]\nwidth=-2147483648\n"), -2147483647 - 1);
    EXPECT_EQ(widthIn("[Window]\nwidth=2147483648\n"), 1024);
    EXPECT_EQ(widthIn("[Window]\nwidth=99999999999999999999999999\n"), 1024);
    EXPECT_EQ(widthIn("[Window]\nwidth=-2147483649\n"), 1024);
}

TEST(IniFileTest, ABinaryOrEndlessLineDoesNotStopTheReader) {
    std::string noise(1 << 20, '\0');
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>(i * 7919 % 256);
    }
    EXPECT_EQ(widthIn(noise + "\n[Window]\nwidth=800"), 800);
    EXPECT_EQ(widthIn("[Window]\nwidth=" + std::string(100000, '9')), 1024);
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
    testing::internal::CaptureStdout();
    application.readOptions(iniFrom("[Window]\nwidth=0\nheight=-20\n"));
    std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(application.width, 1024);
    EXPECT_EQ(application.height, 768);
    EXPECT_EQ(output, "options.ini: width 0 is not a positive size; using 1024\n"
                      "options.ini: height -20 is not a positive size; using 768\n");

    application.readOptions(iniFrom("[Window]\nwidth=abc\nheight=1\n"));
    EXPECT_EQ(application.width, 1024);
    EXPECT_EQ(application.height, 1);
}

TEST_F(ApplicationOptionsTest, OptionsFileIsReadFromDisk) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "cathedral-ini-test.ini";
    std::ofstream(path) << "[Window]\nwidth=333\nheight=222\n";
    application.readOptions(IniFile::load(path.string()));
    std::filesystem::remove(path);
    EXPECT_EQ(application.width, 333);
    EXPECT_EQ(application.height, 222);
}
