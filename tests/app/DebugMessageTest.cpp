// The debug-message line: its fixed frame and the words of the three enum tables, including the
// AMD categories and the "Unknown" fallback.
#include "app/DebugOutput.h"

#include <gtest/gtest.h>

namespace {

std::string sourceOf(GLenum source) {
    std::string line = formatDebugMessage(source, 0, 0, 0, "");
    size_t start = line.find("Source = ") + 9;
    return line.substr(start, line.find(", Type") - start);
}

std::string typeOf(GLenum type) {
    std::string line = formatDebugMessage(0, type, 0, 0, "");
    size_t start = line.find("Type = ") + 7;
    return line.substr(start, line.find(", Severity") - start);
}

std::string severityOf(GLenum severity) {
    std::string line = formatDebugMessage(0, 0, 0, severity, "");
    size_t start = line.find("Severity = ") + 11;
    return line.substr(start, line.find(", ID") - start);
}

} // namespace

TEST(DebugMessageTest, LineHasTheFixedFrame) {
    EXPECT_EQ(formatDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1282,
                                 GL_DEBUG_SEVERITY_HIGH, "T"),
              "OpenGL Error: T [Source = API, Type = Error, Severity = High, ID = 1282]");
    // The id is unsigned; a notification still carries the "OpenGL Error: " prefix.
    EXPECT_EQ(formatDebugMessage(GL_DEBUG_SOURCE_OTHER, GL_DEBUG_TYPE_OTHER, 4294967295u,
                                 GL_DEBUG_SEVERITY_NOTIFICATION, "a [b], c"),
              "OpenGL Error: a [b], c [Source = Other, Type = Other, Severity = Unknown, "
              "ID = 4294967295]");
}

TEST(DebugMessageTest, SourceWords) {
    EXPECT_EQ(sourceOf(0x8246), "API");
    EXPECT_EQ(sourceOf(0x8247), "Window System");
    EXPECT_EQ(sourceOf(0x8248), "Shader Compiler");
    EXPECT_EQ(sourceOf(0x8249), "Third Party");
    EXPECT_EQ(sourceOf(0x824A), "Application");
    EXPECT_EQ(sourceOf(0x824B), "Other");
    EXPECT_EQ(sourceOf(0x9149), "API");
    EXPECT_EQ(sourceOf(0x914A), "Window System");
    EXPECT_EQ(sourceOf(0x914E), "Shader Compiler");
    EXPECT_EQ(sourceOf(0x914F), "Application");
    EXPECT_EQ(sourceOf(0x9150), "Other");
    for (GLenum unlisted : {0x914Bu, 0x914Cu, 0x914Du, 0x8245u, 0x824Cu, 0u}) {
        EXPECT_EQ(sourceOf(unlisted), "Unknown") << std::hex << unlisted;
    }
}

TEST(DebugMessageTest, TypeWords) {
    EXPECT_EQ(typeOf(0x824C), "Error");
    EXPECT_EQ(typeOf(0x824D), "Deprecated Behavior");
    EXPECT_EQ(typeOf(0x824E), "Undefined Behavior");
    EXPECT_EQ(typeOf(0x824F), "Portability");
    EXPECT_EQ(typeOf(0x8250), "Performance");
    EXPECT_EQ(typeOf(0x8251), "Other");
    EXPECT_EQ(typeOf(0x914B), "Deprecated Behavior");
    EXPECT_EQ(typeOf(0x914C), "Undefined Behavior");
    EXPECT_EQ(typeOf(0x914D), "Performance");
    EXPECT_EQ(typeOf(0x9150), "Other");
    // Markers, push/pop groups and the AMD categories without a type meaning.
    for (GLenum unlisted : {0x8268u, 0x8269u, 0x826Au, 0x9149u, 0x914Au, 0x914Eu, 0x914Fu, 0u}) {
        EXPECT_EQ(typeOf(unlisted), "Unknown") << std::hex << unlisted;
    }
}

TEST(DebugMessageTest, SeverityWords) {
    EXPECT_EQ(severityOf(0x9146), "High");
    EXPECT_EQ(severityOf(0x9147), "Medium");
    EXPECT_EQ(severityOf(0x9148), "Low");
    EXPECT_EQ(severityOf(0x826B), "Unknown"); // notification
    EXPECT_EQ(severityOf(0), "Unknown");
}

TEST(DebugMessageTest, AmdCallbackUsesTheCategoryForSourceAndType) {
    GLDEBUGPROCAMD amdCallback = glDebugOutputCallback;
    testing::internal::CaptureStdout();
    amdCallback(7, GL_DEBUG_CATEGORY_API_ERROR_AMD, GL_DEBUG_SEVERITY_HIGH, 0, "bad", nullptr);
    amdCallback(8, GL_DEBUG_CATEGORY_DEPRECATION_AMD, GL_DEBUG_SEVERITY_LOW, 0, "old", nullptr);
    amdCallback(9, GL_DEBUG_CATEGORY_OTHER_AMD, 0, 0, nullptr, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "OpenGL Error: bad [Source = API, Type = Unknown, Severity = High, ID = 7]\n"
              "OpenGL Error: old [Source = Unknown, Type = Deprecated Behavior, Severity = Low, "
              "ID = 8]\n"
              "OpenGL Error:  [Source = Other, Type = Other, Severity = Unknown, ID = 9]\n");
}

TEST(DebugMessageTest, CoreCallbackPrintsOneLine) {
    GLDEBUGPROC coreCallback = glDebugOutputCallback;
    testing::internal::CaptureStdout();
    coreCallback(GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DEBUG_TYPE_PERFORMANCE, 3,
                 GL_DEBUG_SEVERITY_MEDIUM, 4, "slow", nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "OpenGL Error: slow [Source = Shader Compiler, Type = Performance, "
              "Severity = Medium, ID = 3]\n");
}
