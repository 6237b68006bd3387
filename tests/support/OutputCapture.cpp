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
