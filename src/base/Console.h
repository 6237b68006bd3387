// Console output of the program: every message is one line on standard output, flushed at once,
// so the lines interleave correctly with the OpenGL debug messages printed from inside GL calls.
#pragma once

#include <string>

// Writes the text and a line end to standard output and flushes.
void printLine(std::string text);

// Formats the number in decimal, with a minus sign when negative.
std::string intToString(int value);
