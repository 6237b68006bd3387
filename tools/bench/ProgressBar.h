// A one-line progress bar on standard error for long runs, redrawn in place with '\r' and
// finished with a newline. Only drawn when standard error is a terminal, so logs
// of scripted runs stay readable.
#pragma once

#include <string>

// "[#########           ]  45%  100/222 frames  label": `done` clamped to 0..total.
std::string formatProgress(int done, int total, int barWidth, const std::string& label);

class ProgressBar {
public:
    ProgressBar(int total, std::string label, bool enabled);
    // Redraws when the shown percentage changes.
    void update(int done);
    // Draws the full bar and ends the line.
    void finish();

private:
    int total;
    std::string label;
    bool enabled;
    int shownPercent = -1;
};
