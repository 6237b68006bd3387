// WorkingDirectory: the check for Shader/ and the move to the executable's directory.
#include "app/WorkingDirectory.h"

#include "base/Console.h"

#include <filesystem>

namespace fs = std::filesystem;

bool WorkingDirectory::hasShaderFolder(const std::string& directory) {
    std::error_code ignored;
    return fs::is_directory(fs::path(directory) / "Shader", ignored);
}

std::string WorkingDirectory::executableDirectory() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return "";
    }
    return executable.parent_path().string();
}

bool WorkingDirectory::useExecutableDirectoryIfNeeded() {
    if (hasShaderFolder(".")) {
        return false;
    }
    std::string directory = executableDirectory();
    if (directory.empty() || !hasShaderFolder(directory)) {
        std::error_code ignored;
        printLine("Shader folder not found in the working directory (" +
                  fs::current_path(ignored).string() + ") nor in the program's directory (" +
                  (directory.empty() ? std::string("unknown") : directory) + ")");
        return false;
    }
    std::error_code error;
    fs::current_path(directory, error);
    if (error) {
        printLine("Shader folder not found in the working directory; cannot change to " +
                  directory);
        return false;
    }
    printLine("Shader folder not found in the working directory; running from " + directory);
    return true;
}
