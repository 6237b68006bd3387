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
    // Draws the full bar and ends the line, once.
    void finish();

    // What update and finish write: a redraw below 100 % (the full bar is left to `finished`, so
    // it shows once), and the full bar with the line end, or nothing when there is nothing new.
    std::string redraw(int done);
    std::string finished();

private:
    void write(const std::string& text);

    int total;
    std::string label;
    bool enabled;
    int shownPercent = -1;
    bool ended = false;
};
