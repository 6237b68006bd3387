// Standard output captured while a test step runs, so the program's console lines can be
// compared. One capture at a time per process; the capture ends when the object goes, also
// when an assertion or an exception leaves the step early.
#pragma once

#include <string>

class OutputCapture {
public:
    OutputCapture();
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Ends the capture and returns what was printed since it began; "" when called again.
    std::string finish();

private:
    bool capturing = true;
};

// Runs the action with standard output captured and returns what it printed.
template <typename Action> std::string captureOutput(Action action) {
    OutputCapture capture;
    action();
    return capture.finish();
}

// How often `what` occurs in `text`, overlapping occurrences counted.
int countOccurrences(const std::string& text, const std::string& what);
