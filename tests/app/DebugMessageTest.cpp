// The debug-message line: its fixed frame and the words of the three enum tables, including the
// AMD categories and the "Unknown" fallback.
#include "OutputCapture.h"
#include "app/DebugOutput.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The word between `field` and the next ", " or "]" of the line.
std::string wordAfter(const std::string& line, const std::string& field) {
    size_t start = line.find(field + " = ") + field.size() + 3;
    return line.substr(start, line.find_first_of(",]", start) - start);
}

std::string sourceOf(GLenum source) {
    return wordAfter(formatDebugMessage(source, 0, 0, 0, ""), "Source");
}
std::string typeOf(GLenum type) {
    return wordAfter(formatDebugMessage(0, type, 0, 0, ""), "Type");
}
std::string severityOf(GLenum severity) {
    return wordAfter(formatDebugMessage(0, 0, 0, severity, ""), "Severity");
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

using Words = std::vector<std::pair<GLenum, std::string>>;

TEST(DebugMessageTest, SourceWordsIncludingTheAmdCategories) {
    const Words words = {
        {0x8246, "API"},         {0x8247, "Window System"}, {0x8248, "Shader Compiler"},
        {0x8249, "Third Party"}, {0x824A, "Application"},   {0x824B, "Other"},
        {0x9149, "API"},         {0x914A, "Window System"}, {0x914E, "Shader Compiler"},
        {0x914F, "Application"}, {0x9150, "Other"},         {0x914B, "Unknown"},
        {0x914C, "Unknown"},     {0x914D, "Unknown"},       {0x824C, "Unknown"},
        {0, "Unknown"},
    };
    for (const auto& [value, word] : words) {
        EXPECT_EQ(sourceOf(value), word) << std::hex << value;
    }
}

TEST(DebugMessageTest, TypeWordsIncludingTheAmdCategories) {
    const Words words = {
        {0x824C, "Error"},
        {0x824D, "Deprecated Behavior"},
        {0x824E, "Undefined Behavior"},
        {0x824F, "Portability"},
        {0x8250, "Performance"},
        {0x8251, "Other"},
        {0x914B, "Deprecated Behavior"},
        {0x914C, "Undefined Behavior"},
        {0x914D, "Performance"},
        {0x9150, "Other"},
        {0x8269, "Push Group"},
        {0x826A, "Pop Group"},
        {0x8268, "Unknown"},
        {0x9149, "Unknown"},
        {0x914A, "Unknown"},
        {0x914E, "Unknown"},
        {0x914F, "Unknown"},
        {0, "Unknown"},
    };
    for (const auto& [value, word] : words) {
        EXPECT_EQ(typeOf(value), word) << std::hex << value;
    }
}

TEST(DebugMessageTest, SeverityWords) {
    const Words words = {
        {0x9146, "High"}, {0x9147, "Medium"}, {0x9148, "Low"}, {0x826B, "Unknown"}, {0, "Unknown"}};
    for (const auto& [value, word] : words) {
        EXPECT_EQ(severityOf(value), word) << std::hex << value;
    }
}

TEST(DebugMessageTest, EachCallbackPrintsOneLineAndAmdUsesItsCategoryTwice) {
    GLDEBUGPROC coreCallback = glDebugOutputCallback;
    GLDEBUGPROCAMD amdCallback = glDebugOutputCallback;
    std::string output = captureOutput([&] {
        coreCallback(GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DEBUG_TYPE_PERFORMANCE, 3,
                     GL_DEBUG_SEVERITY_MEDIUM, 4, "slow", nullptr);
        amdCallback(7, GL_DEBUG_CATEGORY_API_ERROR_AMD, GL_DEBUG_SEVERITY_HIGH, 0, "bad", nullptr);
        amdCallback(8, GL_DEBUG_CATEGORY_DEPRECATION_AMD, GL_DEBUG_SEVERITY_LOW, 0, "old", nullptr);
        amdCallback(9, GL_DEBUG_CATEGORY_OTHER_AMD, 0, 0, nullptr, nullptr);
    });
    EXPECT_EQ(output,
              "OpenGL Error: slow [Source = Shader Compiler, Type = Performance, "
              "Severity = Medium, ID = 3]\n"
              "OpenGL Error: bad [Source = API, Type = Unknown, Severity = High, ID = 7]\n"
              "OpenGL Error: old [Source = Unknown, Type = Deprecated Behavior, Severity = Low, "
              "ID = 8]\n"
              "OpenGL Error:  [Source = Other, Type = Other, Severity = Unknown, ID = 9]\n");
}

// Every combination of what a driver advertises: 4.3 or KHR_debug give the core entry point,
// then ARB, then AMD; only core and ARB deliver synchronously.
TEST(DebugMessageTest, EntryPointFollowsThePreferenceOrderForEveryCombination) {
    using E = DebugEntryPoint;
    // Index bits: 8 = version 4.3, 4 = KHR_debug, 2 = ARB_debug_output, 1 = AMD_debug_output.
    const E expected[16] = {E::None, E::Amd,  E::Arb,  E::Arb,  E::Core, E::Core, E::Core, E::Core,
                            E::Core, E::Core, E::Core, E::Core, E::Core, E::Core, E::Core, E::Core};
    for (int bits = 0; bits < 16; ++bits) {
        DebugSupport support;
        support.version43 = bits & 8;
        support.khrDebug = bits & 4;
        support.arbDebugOutput = bits & 2;
        support.amdDebugOutput = bits & 1;
        EXPECT_EQ(chooseDebugEntryPoint(support), expected[bits]) << "flags " << bits;
    }
    EXPECT_TRUE(deliversSynchronously(E::Core));
    EXPECT_TRUE(deliversSynchronously(E::Arb));
    EXPECT_FALSE(deliversSynchronously(E::Amd));
    EXPECT_FALSE(deliversSynchronously(E::None));
}
