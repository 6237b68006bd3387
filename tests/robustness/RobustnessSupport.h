// Shared by the robustness tests: the whole pipeline built in-process on the test context and
// driven frame by frame like the program's own loop, checks of the GL state a frame must leave
// behind, counts of live GL objects and resident memory, and throw-away working directories in
// which the demo executable is run with broken files.
#pragma once

#include "ProcessRunner.h"

#include "gpu/GL.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

class CameraPathAnimation;
class Renderer;
class Scene;

// The shader registry, the scene and a renderer of the given size, built as start-up builds
// them; torn down in the program's shutdown order. Needs the current test context.
class Pipeline {
public:
    Pipeline(int width, int height);
    ~Pipeline();
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // One iteration of the frame loop with a fixed frame time: clear, camera tour, scene
    // update, render (the buffer swap is left out: the test window is never shown).
    void frame(float dt);

    int width;
    int height;
    Scene* scene = nullptr;
    Renderer* renderer = nullptr;
    CameraPathAnimation* tour = nullptr;
};

// Whether the state every pass relies on is back after a frame: framebuffer 0 for drawing and
// reading, depth test on with depth writes, back faces culled, blending on with
// (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) and FUNC_ADD, all colour channels writable, no scissor, and
// the viewport covering the window.
::testing::AssertionResult standingStateRestored(int width, int height);

// The number of live objects of each kind, found by asking the driver about every name up to
// beyond the next name it would hand out.
struct LiveGLObjects {
    int textures = 0;
    int buffers = 0;
    int framebuffers = 0;
    int renderbuffers = 0;
    int vertexArrays = 0;
    int programs = 0;
    int shaders = 0;
    int queries = 0;
    bool operator==(const LiveGLObjects& other) const;
};
LiveGLObjects countLiveGLObjects();
std::ostream& operator<<(std::ostream& out, const LiveGLObjects& objects);

// Resident set size of this process in bytes, from /proc/self/statm.
std::size_t residentBytes();

// The largest window side the driver can render at: the smallest of the viewport, texture and
// renderbuffer size limits.
int largestRenderableSize();

// A fresh working directory with copies of the built Shader/ and Assets/ folders and an
// options.ini, removed on destruction. Files in it can be removed, emptied or replaced before
// the demo runs there.
class RunDirectory {
public:
    explicit RunDirectory(const std::string& options);
    ~RunDirectory();
    RunDirectory(const RunDirectory&) = delete;
    RunDirectory& operator=(const RunDirectory&) = delete;

    std::filesystem::path file(const std::string& relative) const { return path / relative; }
    void write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;

    std::filesystem::path path;
};

// Runs the demo in `directory` as a user would. With `closeWithEscape`, waits for its window,
// records the window's size as "WIDTHxHEIGHT" in `windowSize` (when given) and closes it with
// Escape; otherwise waits for the program to end by itself.
ProcessResult runDemo(const RunDirectory& directory, bool closeWithEscape,
                      std::string* windowSize = nullptr);

// Whether `output` holds `line` as one whole line.
bool hasLine(const std::string& output, const std::string& line);
// The last non-empty line of `output`.
std::string lastLine(const std::string& output);

// The files of the built Assets/ folder, as "Assets/<name>" relative paths, in name order.
std::vector<std::string> builtAssetFiles();

// Deterministic bytes for replacing a file's content.
std::string randomBytes(std::size_t count, unsigned seed);
