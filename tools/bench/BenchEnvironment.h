// Where a benchmark's numbers came from: the machine, the build and the command line of the
// process (BenchEnvironment), and the GL context each run rendered with (GlContextInfo). Both go
// into the report's table and JSON so two reports can be told apart before they are compared.
#pragma once

#include <string>
#include <vector>

// The swap interval every run sets: 0, so the driver never paces the frames to the display.
constexpr int kBenchSwapInterval = 0;

struct BenchEnvironment {
    std::string commandLine; // as typed, arguments quoted for the shell where needed
    std::string date;        // UTC, ISO 8601, when the tool started
    std::string buildType;   // CMAKE_BUILD_TYPE of this build
    std::string commit;      // git commit at configure time, "-dirty" if changed; or "unknown"
    std::string cpuModel;    // "model name" of /proc/cpuinfo, or "unknown"
    int cpuCores = 0;        // logical CPUs online
};

struct GlContextInfo {
    std::string vendor; // GL_VENDOR, GL_RENDERER and GL_VERSION as the driver reports them
    std::string renderer;
    std::string version;
    std::string platform = "GLX window"; // or "EGL device", "EGL surfaceless" (HeadlessContext)
    std::string eglVendor;               // EGL_VENDOR of a headless run's display; else empty
    int windowWidth = 0;
    int windowHeight = 0;
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    int swapInterval = kBenchSwapInterval;
};

// The environment of this process; `arguments` is the whole argv, program name first.
BenchEnvironment describeEnvironment(const std::vector<std::string>& arguments);

// The arguments as one shell line: plain words stay, others are single-quoted.
std::string shellCommandLine(const std::vector<std::string>& arguments);

// The first "model name" of a /proc/cpuinfo text, or "unknown".
std::string cpuModelName(const std::string& cpuinfo);

// One line each for the table's header: the build and machine, the command line.
std::string formatEnvironment(const BenchEnvironment& environment);
// The context's strings, platform, sizes and vsync state on one line.
std::string formatGlContext(const GlContextInfo& context);
