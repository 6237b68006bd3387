// BenchRun: start-up, the frame loop with fixed steps, and the child-process wrapper.
#include "BenchRun.h"

#include "FrameSchedule.h"
#include "HeadlessContext.h"
#include "ProgressBar.h"

#include "app/ContextWindow.h"
#include "app/DebugOutput.h"
#include "app/FramePipeline.h"
#include "app/KeyControls.h"
#include "app/RenderSettings.h"
#include "base/Console.h"
#include "gpu/FrameCapture.h"
#include "gpu/Framebuffer.h"
#include "gpu/GL.h"
#include "gpu/Tunables.h"
#include "render/PassTimer.h"
#include "render/Renderer.h"
#include "scene/CameraPathAnimation.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Results of a frame become readable this many frames later.
constexpr int kTimerLatencyFrames = 3;

double wallMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// CPU time of the calling thread: it does not advance while the thread waits for the GPU.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// CPU time of the whole process: the driver's worker threads included.
double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// The program's window, with the window hidden. Swap interval 0 so the driver does not pace the
// frames (the report states it).
GLFWwindow* openHiddenWindow(WindowSize size) {
    GLFWwindow* window = ContextWindow::open(size.width, size.height, false, false);
    if (window) {
        glfwSwapInterval(kBenchSwapInterval);
    }
    return window;
}

void applySwitches(const SwitchStates& switches, bool updateShadowMaps) {
    for (const KeySwitch& keySwitch : keySwitches()) {
        auto state = keySwitch.benchName ? switches.find(keySwitch.benchName) : switches.end();
        if (state != switches.end()) {
            keySwitch.setting.set(state->second);
        }
    }
    RenderSettings::updateShadowMaps = updateShadowMaps;
}

RunSettings currentSettings(const BenchOptions& options, WindowSize size) {
    RunSettings settings;
    settings.width = size.width;
    settings.height = size.height;
    settings.switches = currentSwitchStates();
    settings.updateShadowMaps = RenderSettings::updateShadowMaps;
    settings.timeStep = options.timeStep;
    settings.repeats = options.repeats;
    settings.view = options.view;
    for (const Tunable& tunable : tunables()) {
        settings.tunables[tunable.name] = tunableValue(tunable);
    }
    return settings;
}

std::string glString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "unknown";
}

// The hidden window or the headless context (exactly one of them), the program's own pipeline
// behind it, and the output it renders into. The frames go to an off-screen output of the run's
// size: the window's pixels beyond the X screen are undefined, so a run larger than the screen
// could not be captured from the window; and a headless context has no window at all.
struct BenchWindow {
    GLFWwindow* window = nullptr;
    HeadlessContext* headless = nullptr;
    FramePipeline* pipeline = nullptr;
    Framebuffer output;
};

// What the run renders with: the driver's strings, the platform and the window's and
// framebuffer's sizes (a headless run's are its output's).
GlContextInfo describeGlContext(const BenchWindow& bench, WindowSize size) {
    GlContextInfo context;
    context.vendor = glString(GL_VENDOR);
    context.renderer = glString(GL_RENDERER);
    context.version = glString(GL_VERSION);
    context.windowWidth = context.framebufferWidth = size.width;
    context.windowHeight = context.framebufferHeight = size.height;
    if (bench.headless) {
        context.platform = HeadlessContext::platformName(bench.headless->platform());
        context.eglVendor = bench.headless->vendor();
    } else {
        glfwGetWindowSize(bench.window, &context.windowWidth, &context.windowHeight);
        glfwGetFramebufferSize(bench.window, &context.framebufferWidth, &context.framebufferHeight);
    }
    context.swapInterval = kBenchSwapInterval;
    return context;
}

// A hidden window, or with `headless` an EGL context; then the debug output and the initial GL
// state. False (the reason printed) when neither could be made.
bool openContext(BenchWindow& bench, WindowSize size, bool headless) {
    if (headless) {
        bench.headless = HeadlessContext::open(size.width, size.height);
    } else {
        bench.window = openHiddenWindow(size);
    }
    if (!bench.window && !bench.headless) {
        return false;
    }
    installDebugOutput();
    ContextWindow::setInitialState(size.width, size.height);
    return true;
}

// Colour and a depth-stencil buffer of the window's format, which the forward pass's depth blit
// needs.
Framebuffer createOutput(WindowSize size) {
    Framebuffer output(size.width, size.height, "bench output");
    output.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, glm::vec4(0.0f),
                      true);
    output.addRenderbuffer();
    return output;
}

bool startUp(BenchWindow& bench, WindowSize size, bool headless, StartupTimes& times) {
    double start = wallMs();
    if (!openContext(bench, size, headless)) {
        return false;
    }
    times.window = wallMs() - start;
    bench.pipeline = new FramePipeline(bench.window, size.width, size.height);
    bench.output = createOutput(size);
    bench.pipeline->renderer->setOutputFramebuffer(bench.output.getId());
    times.shaders = bench.pipeline->startupTimes.shaders;
    times.scene = bench.pipeline->startupTimes.scene;
    times.renderer = bench.pipeline->startupTimes.renderer;
    return true;
}

// Whether the scene got any geometry. The program carries on without a model it cannot read,
// but timing a frame without the cathedral would report a figure that means nothing.
bool sceneHasGeometry(const Scene& scene) {
    for (const SceneObject* object : scene.opaqueObjects) {
        if (!object->meshes.empty()) {
            return true;
        }
    }
    return false;
}

// The pipeline in the application's shutdown order, then the window library or the EGL context.
void shutDown(BenchWindow& bench) {
    bench.output.release();
    delete bench.pipeline;
    if (bench.headless) {
        delete bench.headless;
        return;
    }
    glfwDestroyWindow(bench.window);
    glfwTerminate();
}

struct FrameStep {
    double pathDt = 0.0;  // advance of the tour
    double sceneDt = 0.0; // frame time handed to the scene and the renderer
    bool capture = false;
    double tourTime = 0.0;
};

struct FrameCost {
    double cpuMs = 0.0;
    double processCpuMs = 0.0;
    double wallMs = 0.0;
    std::string captured; // the file written, if any
};

// The main loop's steps for one frame up to the swap, with the fixed time step in place of the
// clock. Returns the main thread's CPU time for them.
double runFrameSteps(BenchWindow& bench, const FrameStep& step) {
    double cpuStart = threadCpuMs();
    PassTimer::beginFrame();
    // The main loop's clear, on the output the frame goes to.
    glBindFramebuffer(GL_FRAMEBUFFER, bench.output.getId());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (bench.window) {
        glfwPollEvents();
    }
    bench.pipeline->frame(step.pathDt, step.sceneDt);
    PassTimer::endFrame();
    return threadCpuMs() - cpuStart;
}

// Saves the back buffer; the frame is finished first so its own work is not counted here.
// Returns the wall-clock and all-threads CPU time the capture took.
FrameCost captureFrame(const BenchWindow& bench, const FrameStep& step, const BenchOptions& options,
                       WindowSize size) {
    glFinish();
    FrameCost cost;
    double wallStart = wallMs();
    double processStart = processCpuMs();
    std::string path =
        options.captureDirectory + "/" + captureFileName(step.tourTime, options.view);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, bench.output.getId());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (saveFramebufferPng(path, size.width, size.height)) {
        cost.captured = path;
    } else {
        printLine("Could not write " + path);
    }
    cost.wallMs = wallMs() - wallStart;
    cost.processCpuMs = processCpuMs() - processStart;
    return cost;
}

// One frame from its first step to the end of the swap, captures excluded from its times.
FrameCost renderFrame(BenchWindow& bench, const FrameStep& step, const BenchOptions& options,
                      WindowSize size) {
    double wallStart = wallMs();
    double processStart = processCpuMs();
    FrameCost cost;
    cost.cpuMs = runFrameSteps(bench, step);
    FrameCost capture = step.capture ? captureFrame(bench, step, options, size) : FrameCost();
    // Without a window there is nothing to swap; the flush hands the frame to the GPU as the
    // swap would.
    if (bench.window) {
        glfwSwapBuffers(bench.window);
    } else {
        glFlush();
    }
    cost.wallMs = wallMs() - wallStart - capture.wallMs;
    cost.processCpuMs = processCpuMs() - processStart - capture.processCpuMs;
    cost.captured = capture.captured;
    return cost;
}

// Files the timer's results under their frames; warm-up frames come first and are dropped.
void addGpuTimes(const std::vector<FrameGpuTimes>& results, int warmupFrames,
                 std::vector<FrameRecord>& frames) {
    for (const FrameGpuTimes& result : results) {
        std::int64_t index = result.frame - warmupFrames;
        if (index < 0 || index >= static_cast<std::int64_t>(frames.size())) {
            continue;
        }
        FrameRecord& frame = frames[static_cast<size_t>(index)];
        for (int pass = 0; pass < kFramePassCount; ++pass) {
            frame.passMs[pass] = result.passMs[pass];
            frame.passRan[pass] = result.passRan[pass];
        }
        frame.gpuMs = result.frameMs;
        frame.gpuKnown = true;
    }
}

void reportSkippedCaptures(const std::vector<double>& skipped) {
    for (double time : skipped) {
        char line[96];
        std::snprintf(line, sizeof line, "Capture at %.2f s is outside the rendered tour", time);
        printLine(line);
    }
}

struct Repeat {
    std::vector<FrameRecord> frames;
    std::vector<std::string> captures; // files written
};

// One pass over the schedule with a fresh path animation: warm-up frames at the start time, then
// the scheduled frames, timed. `captures` says whether this pass writes the captures.
Repeat runFrames(BenchWindow& bench, const BenchOptions& options, WindowSize size,
                 const FrameSchedule& schedule, bool captures, ProgressBar& progress,
                 int progressDone) {
    bench.pipeline->restartTour();
    if (options.gpuTimer) {
        PassTimer::activate(kTimerLatencyFrames);
        bench.pipeline->renderer->attachPassHooks(PassTimer::hooks());
    }
    double previousTime = 0.0;
    for (int i = 0; i < options.warmupFrames; ++i) {
        FrameStep step{options.from - previousTime, options.timeStep, false, options.from};
        renderFrame(bench, step, options, size);
        previousTime = options.from;
    }
    Repeat repeat;
    repeat.frames.resize(schedule.frames.size());
    for (size_t i = 0; i < schedule.frames.size(); ++i) {
        const ScheduledFrame& scheduled = schedule.frames[i];
        double advance = scheduled.time - previousTime;
        FrameStep step{advance, advance > 0.0 ? advance : options.timeStep,
                       captures && scheduled.capture, scheduled.time};
        FrameCost cost = renderFrame(bench, step, options, size);
        previousTime = scheduled.time;
        repeat.frames[i].tourTime = scheduled.time;
        repeat.frames[i].wallMs = cost.wallMs;
        repeat.frames[i].cpuMs = cost.cpuMs;
        repeat.frames[i].processCpuMs = cost.processCpuMs;
        if (!cost.captured.empty()) {
            repeat.captures.push_back(cost.captured);
        }
        addGpuTimes(PassTimer::collect(false), options.warmupFrames, repeat.frames);
        progress.update(progressDone + static_cast<int>(i + 1));
    }
    glFinish();
    addGpuTimes(PassTimer::collect(true), options.warmupFrames, repeat.frames);
    if (PassTimer::nestedBrackets() > 0) {
        printLine("PassTimer: " + intToString(PassTimer::nestedBrackets()) +
                  " nested pass brackets were counted in their outer pass");
    }
    bench.pipeline->renderer->attachPassHooks(nullptr);
    PassTimer::deactivate();
    return repeat;
}

} // namespace

RunResult runBenchmark(const BenchOptions& options, WindowSize size, bool updateShadowMaps) {
    RunResult result;
    BenchWindow bench;
    if (!startUp(bench, size, options.headless, result.startup)) {
        return result;
    }
    result.context = describeGlContext(bench, size);
    bench.pipeline->renderer->setDebugGroups(options.glGroups);
    applySwitches(options.switches, updateShadowMaps);
    for (const auto& [name, value] : options.tunables) {
        setTunable(*findTunable(name), value);
    }
    RenderSettings::debugView = options.view;
    result.settings = currentSettings(options, size);
    if (!sceneHasGeometry(*bench.pipeline->scene)) {
        printLine("cathedral-bench: the scene has no geometry (are the models under Assets/ in "
                  "the working directory?); nothing measured");
        shutDown(bench);
        return result;
    }

    FrameSchedule schedule =
        buildFrameSchedule(options.from, options.timeStep, options.to, options.frames,
                           CameraPathAnimation().tourLength(), options.captureTimes);
    reportSkippedCaptures(schedule.skippedCaptures);
    int framesPerRepeat = static_cast<int>(schedule.frames.size());
    ProgressBar progress(framesPerRepeat * options.repeats,
                         std::to_string(size.width) + "x" + std::to_string(size.height),
                         options.progress);
    std::vector<std::vector<FrameRecord>> repeats;
    for (int r = 0; r < options.repeats; ++r) {
        // captures come from the first repeat only
        Repeat repeat =
            runFrames(bench, options, size, schedule, r == 0, progress, r * framesPerRepeat);
        result.capturedFiles.insert(result.capturedFiles.end(), repeat.captures.begin(),
                                    repeat.captures.end());
        repeats.push_back(std::move(repeat.frames));
    }
    progress.finish();
    result.captures = static_cast<int>(result.capturedFiles.size());

    setFrameRecords(result, fastestOfRepeats(repeats));
    if (!schedule.frames.empty()) {
        result.settings.from = schedule.frames.front().time;
        result.settings.to = schedule.frames.back().time;
    }
    result.ok = true;
    shutDown(bench);
    return result;
}

namespace {

bool writeAll(int descriptor, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t count = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count <= 0) {
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

std::string readAll(int descriptor) {
    std::string bytes;
    char buffer[65536];
    ssize_t count = 0;
    while ((count = read(descriptor, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<size_t>(count));
    }
    return bytes;
}

// The child's result as the parent reads it: the run as the report's JSON, samples included.
std::optional<RunResult> parseChildResult(const std::string& bytes) {
    nlohmann::json document = nlohmann::json::parse(bytes, nullptr, false);
    if (document.is_discarded()) {
        return std::nullopt;
    }
    std::string error;
    return runFromJson(document, error);
}

} // namespace

RunResult runBenchmarkInChild(const BenchOptions& options, WindowSize size, bool updateShadowMaps) {
    RunResult result;
    int channel[2];
    if (pipe(channel) != 0) {
        printLine("cathedral-bench: cannot create a pipe for the child run");
        return result;
    }
    std::cout.flush();
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) {
        printLine("cathedral-bench: cannot start a child run");
        close(channel[0]);
        close(channel[1]);
        return result;
    }
    if (child == 0) {
        close(channel[0]);
        RunResult childResult = runBenchmark(options, size, updateShadowMaps);
        std::cout.flush();
        std::fflush(nullptr);
        bool sent = writeAll(channel[1], runToJson(childResult, nullptr).dump());
        _exit(sent && childResult.ok ? 0 : 1);
    }
    close(channel[1]);
    std::optional<RunResult> received = parseChildResult(readAll(channel[0]));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        printLine("cathedral-bench: the run at " + intToString(size.width) + "x" +
                  intToString(size.height) + " failed");
        result.settings.width = size.width;
        result.settings.height = size.height;
        result.settings.updateShadowMaps = updateShadowMaps;
        return result;
    }
    return *received;
}
