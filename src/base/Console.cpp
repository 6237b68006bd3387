// Console output: one flushed line per message.
#include "base/Console.h"

#include <cstdio>
#include <iostream>

namespace {

std::ostream* console = &std::cout;

} // namespace

void printLine(std::string text) {
    *console << text << std::endl;
}

std::string intToString(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return buffer;
}

std::ostream& consoleStream() {
    return *console;
}

void setConsoleStream(std::ostream& stream) {
    console = &stream;
}
