// Finding the program's data when it is started from another directory: the Shader/ and Assets/
// folders are read relative to the working directory, so a start from elsewhere would fail on
// the first shader. When the working directory lacks Shader/ but the executable's directory has
// it, the program moves there before reading anything.
#pragma once

#include <string>

class WorkingDirectory {
public:
    // Changes to the executable's directory when only that one holds a "Shader" folder, and
    // prints one line saying so. When neither holds one, prints one line naming both places
    // looked in and stays. Returns whether it moved.
    static bool useExecutableDirectoryIfNeeded();

    // Whether `directory` holds a folder named "Shader".
    static bool hasShaderFolder(const std::string& directory);
    // The directory of the running executable (from /proc/self/exe); empty when unknown.
    static std::string executableDirectory();
};
