// Runs the built demo (or any program) as a user would: in a chosen working directory, with a
// time limit, capturing standard output and standard error together with the exit code.
// Optionally closes the demo through its own key handling by sending Escape to its window
// ("Window", found by the child's process id with xdotool on the current X display).
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;       // 0..255 as the process returned it; 128 + signal when killed
    bool timedOut = false;   // killed because it ran past the time limit
    bool windowSeen = false; // its "Window" showed up on the display (when looked for)
    std::string output;      // standard output and standard error, interleaved as written
};

struct ProcessOptions {
    std::string workingDirectory = ".";
    double timeoutSeconds = 120.0;
    // Extra "NAME=value" entries added to the inherited environment.
    std::vector<std::string> environment;
    // Look for the program's window; once found, call onWindow (when set) and, when
    // closeWithEscape is true, send Escape to it (again every few seconds until it exits).
    bool findWindow = false;
    bool closeWithEscape = false;
    // When set, the window is looked for only once the output contains this text (the demo's
    // "Loading Shaders!" follows the window's creation, so its size is final by then).
    std::string windowAfterOutput;
    // Called once with the X window id (decimal, as xdotool prints it) when the window is found.
    std::function<void(const std::string& windowId)> onWindow;
};

class ProcessRunner {
public:
    // Runs `program` with `arguments`; never throws, and never outlives its time limit (the
    // whole process group is killed).
    static ProcessResult run(const std::string& program, const std::vector<std::string>& arguments,
                             const ProcessOptions& options);
    // Runs the built demo executable with no arguments.
    static ProcessResult runCathedral(const ProcessOptions& options);
    // Runs a shell command and returns what it printed on standard output (for xdotool and
    // xwininfo queries).
    static std::string capture(const std::string& shellCommand);

    // The non-empty lines of `output`, in order.
    static std::vector<std::string> lines(const std::string& output);
};
