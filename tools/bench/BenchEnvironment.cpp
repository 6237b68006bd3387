// BenchEnvironment: build facts baked in at configure time (CATHEDRAL_BUILD_TYPE,
// CATHEDRAL_BUILD_COMMIT), the rest read from the system when the tool starts.
#include "BenchEnvironment.h"

#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>

#ifndef CATHEDRAL_BUILD_TYPE
#define CATHEDRAL_BUILD_TYPE "unknown"
#endif
#ifndef CATHEDRAL_BUILD_COMMIT
#define CATHEDRAL_BUILD_COMMIT "unknown"
#endif

namespace {

bool isPlainWord(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     std::string("-_./=,:+@%").find(c) != std::string::npos;
        if (!plain) {
            return false;
        }
    }
    return true;
}

std::string shellQuote(const std::string& text) {
    if (isPlainWord(text)) {
        return text;
    }
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string utcNow() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string readFile(const char* path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

std::string shellCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line += (line.empty() ? "" : " ") + shellQuote(argument);
    }
    return line;
}

std::string cpuModelName(const std::string& cpuinfo) {
    std::istringstream lines(cpuinfo);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(':');
        if (line.rfind("model name", 0) != 0 || colon == std::string::npos) {
            continue;
        }
        size_t start = line.find_first_not_of(" \t", colon + 1);
        if (start != std::string::npos) {
            return line.substr(start);
        }
    }
    return "unknown";
}

BenchEnvironment describeEnvironment(const std::vector<std::string>& arguments) {
    BenchEnvironment environment;
    environment.commandLine = shellCommandLine(arguments);
    environment.date = utcNow();
    environment.buildType = CATHEDRAL_BUILD_TYPE;
    environment.commit = CATHEDRAL_BUILD_COMMIT;
    environment.cpuModel = cpuModelName(readFile("/proc/cpuinfo"));
    environment.cpuCores = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    return environment;
}

std::string formatEnvironment(const BenchEnvironment& e) {
    return "build " + e.buildType + " at commit " + e.commit + "; " + e.cpuModel + ", " +
           std::to_string(e.cpuCores) + " cores; " + e.date + "\ncommand: " + e.commandLine;
}

std::string formatGlContext(const GlContextInfo& c) {
    std::string platform = c.platform + (c.eglVendor.empty() ? "" : " (" + c.eglVendor + ")");
    return "GL: " + c.vendor + " | " + c.renderer + " | " + c.version + "; " + platform +
           "; window " + std::to_string(c.windowWidth) + "x" + std::to_string(c.windowHeight) +
           ", framebuffer " + std::to_string(c.framebufferWidth) + "x" +
           std::to_string(c.framebufferHeight) + ", vsync " + (c.swapInterval == 0 ? "off" : "on") +
           " (swap interval " + std::to_string(c.swapInterval) + ")";
}
