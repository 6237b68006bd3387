// Console output: one flushed line per message.
#include "base/Console.h"

#include <cstdio>
#include <iostream>

void printLine(std::string text) {
    std::cout << text << std::endl;
}

std::string intToString(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return buffer;
}
