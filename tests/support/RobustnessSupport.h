// Shared by the GL tests that run whole frames or the demo itself: checks of the GL state a frame
// must leave behind, counts of live GL objects and resident memory, and working directories in
// which the demo executable is run, with broken files where a test wants them.
#pragma once

#include "ProcessRunner.h"
#include "ScratchDirectory.h"

#include "gpu/GL.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

// Whether the state every pass relies on is back after a frame: framebuffer 0 for drawing and
// reading, depth test on with depth writes, back faces culled, blending on with
// (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) and FUNC_ADD, all colour channels writable, no scissor, seamless
// cube-map filtering, and the viewport covering the window.
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

// A scratch working directory with copies of the built Shader/ and Assets/ folders and an
// options.ini. Files in it can be removed, emptied or replaced before the demo runs there.
class RunDirectory : public ScratchDirectory {
public:
    explicit RunDirectory(const std::string& options);
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
