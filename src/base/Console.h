// Console output of the program: every message is one line on standard output, flushed at once,
// so the lines interleave correctly with the OpenGL debug messages printed from inside GL calls.
// A tool that keeps standard output for its own report may send these lines elsewhere.
#pragma once

#include <ostream>
#include <string>

// Writes the text and a line end to the console stream and flushes.
void printLine(std::string text);

// Formats the number in decimal, with a minus sign when negative.
std::string intToString(int value);

// The stream printLine and the OpenGL debug messages write to: standard output unless
// setConsoleStream chose another. The stream must outlive its use.
std::ostream& consoleStream();
void setConsoleStream(std::ostream& stream);
