// OutputCapture: googletest's stdout capture, begun and always ended in one object.
#include "OutputCapture.h"

#include <gtest/gtest.h>

#include <cstdio>

OutputCapture::OutputCapture() {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
}

OutputCapture::~OutputCapture() {
    finish();
}

std::string OutputCapture::finish() {
    if (!capturing) {
        return "";
    }
    capturing = false;
    return testing::internal::GetCapturedStdout();
}

int countOccurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}
