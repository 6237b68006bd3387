// JsonWriter: separators and indentation are decided when the next element arrives.
#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

void JsonWriter::newline() {
    out += '\n';
    out.append(levels.size() * 2, ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (levels.empty()) {
        return;
    }
    if (levels.back().members++ > 0) {
        out += ',';
    }
    newline();
}

void JsonWriter::open(char bracket, bool object) {
    beforeValue();
    out += bracket;
    levels.push_back({object, 0});
}

void JsonWriter::close(char bracket) {
    if (levels.empty()) {
        return;
    }
    bool hadMembers = levels.back().members > 0;
    levels.pop_back();
    if (hadMembers) {
        newline();
    }
    out += bracket;
}

JsonWriter& JsonWriter::beginObject() {
    open('{', true);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    open('[', false);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(const std::string& name) {
    beforeValue();
    out += quote(name);
    out += ": ";
    afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    if (!std::isfinite(number)) {
        return null();
    }
    beforeValue();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", number);
    out += buffer;
    return *this;
}

JsonWriter& JsonWriter::value(int number) {
    beforeValue();
    out += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    out += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text) {
    beforeValue();
    out += quote(text);
    return *this;
}

JsonWriter& JsonWriter::value(const char* text) {
    return value(std::string(text));
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    out += "null";
    return *this;
}

std::string JsonWriter::quote(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                quoted += escape;
            } else {
                quoted += static_cast<char>(c);
            }
        }
    }
    quoted += '"';
    return quoted;
}
