// F12's screenshot: the frame about to be presented, written as a PNG into the working directory
// under a name no existing file has. A failure is one console line; the demo goes on.
#pragma once

#include <string>

class Screenshot {
public:
    // Reads width x height pixels of the window's back buffer and writes them to the first free
    // "screenshot-NNNN.png" of `directory`. Prints "Screenshot saved: " and the file name, or
    // "Screenshot failed: " and the reason. Returns the file name, empty on failure.
    static std::string save(int width, int height, const std::string& directory = ".");
    // Creates the first free "screenshot-NNNN.png" (NNNN from 0001) of `directory` empty and
    // exclusively, so no existing file is ever overwritten, and returns its name; on failure
    // returns an empty name and sets `error` to the reason.
    static std::string reserveName(const std::string& directory, std::string& error);
};
