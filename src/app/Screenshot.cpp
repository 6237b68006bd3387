// Screenshot: an exclusively created file name, then the back buffer's pixels through FreeImage.
#include "app/Screenshot.h"

#include "base/Console.h"
#include "gpu/FrameCapture.h"
#include "gpu/GL.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int largestNumber = 9999;

std::string numberedName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "screenshot-%04d.png", number);
    return name;
}

} // namespace

std::string Screenshot::reserveName(const std::string& directory, std::string& error) {
    for (int number = 1; number <= largestNumber; ++number) {
        std::string name = numberedName(number);
        int file = ::open((directory + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (file >= 0) {
            ::close(file);
            return name;
        }
        if (errno != EEXIST) {
            error = "cannot create " + name + " (" + std::strerror(errno) + ")";
            return "";
        }
    }
    error = "every name up to " + numberedName(largestNumber) + " is taken";
    return "";
}

std::string Screenshot::save(int width, int height, const std::string& directory) {
    std::string error;
    std::string name = reserveName(directory, error);
    if (name.empty()) {
        printLine("Screenshot failed: " + error);
        return "";
    }
    std::string path = directory + "/" + name;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    if (!saveFramebufferPng(path, width, height)) {
        std::remove(path.c_str());
        printLine("Screenshot failed: cannot write " + name);
        return "";
    }
    printLine("Screenshot saved: " + name);
    return name;
}
