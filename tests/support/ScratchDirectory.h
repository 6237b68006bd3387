// A throw-away directory for the files one test writes: created under the system temp folder
// with a name no other test process can hold (mkdtemp), removed with everything in it when the
// object goes. Test programs running side by side never share one.
#pragma once

#include <string>

class ScratchDirectory {
public:
    // Fails the current test (and leaves `path` empty) when no directory can be created.
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The path of `relative` inside the directory, with a '/' separator.
    std::string file(const std::string& relative) const;
    // Writes `content` to `relative` as bytes, replacing what was there.
    void write(const std::string& relative, const std::string& content) const;
    // The bytes of `relative`, or "" when it cannot be read.
    std::string read(const std::string& relative) const;

    std::string path;
};
