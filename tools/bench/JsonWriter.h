// A small streaming JSON writer for the benchmark report: objects, arrays, strings, numbers,
// booleans and null, indented two spaces per level. Commas and nesting are tracked here, so a
// report written through it is well-formed whatever order its parts come in; numbers that JSON
// cannot hold (NaN, infinities) are written as null.
#pragma once

#include <string>
#include <vector>

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The member name of the next value; only inside an object.
    JsonWriter& key(const std::string& name);
    JsonWriter& value(double number);
    JsonWriter& value(int number);
    JsonWriter& value(bool flag);
    JsonWriter& value(const std::string& text);
    JsonWriter& value(const char* text);
    JsonWriter& null();
    // key(name).value(v) in one call.
    template <typename T> JsonWriter& member(const std::string& name, T v) {
        return key(name).value(v);
    }

    // The text written so far; complete once every object and array is closed.
    const std::string& text() const { return out; }
    bool complete() const { return levels.empty() && !out.empty(); }

    // The string as a JSON string literal, quotes included; control characters as \u escapes.
    static std::string quote(const std::string& text);

private:
    struct Level {
        bool object;
        int members;
    };
    void beforeValue();
    void open(char bracket, bool object);
    void close(char bracket);
    void newline();

    std::string out;
    std::vector<Level> levels;
    bool afterKey = false;
};
