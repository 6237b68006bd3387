// A strict JSON reader for the tests: parses a whole document into a tree, or fails on the first
// character that JSON does not allow there (trailing commas, bare words, unclosed brackets, text
// after the document). Independent of the tool's writer, so it can judge what the writer made.
#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct JsonValue {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool flag = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    bool has(const std::string& name) const { return kind == Object && members.count(name); }
    const JsonValue& operator[](const std::string& name) const { return members.at(name); }
};

class JsonReader {
public:
    static std::optional<JsonValue> parse(const std::string& document) {
        JsonReader reader(document);
        JsonValue value;
        if (!reader.readValue(value, 0)) {
            return std::nullopt;
        }
        reader.skipSpace();
        if (reader.at != document.size()) {
            return std::nullopt;
        }
        return value;
    }

private:
    explicit JsonReader(const std::string& document) : in(document) {}

    void skipSpace() {
        while (at < in.size() &&
               (in[at] == ' ' || in[at] == '\n' || in[at] == '\r' || in[at] == '\t')) {
            ++at;
        }
    }

    bool consume(char c) {
        skipSpace();
        if (at < in.size() && in[at] == c) {
            ++at;
            return true;
        }
        return false;
    }

    bool readWord(const char* word) {
        std::string expected(word);
        if (in.compare(at, expected.size(), expected) != 0) {
            return false;
        }
        at += expected.size();
        return true;
    }

    bool readString(std::string& out) {
        if (!consume('"')) {
            return false;
        }
        while (at < in.size()) {
            char c = in[at++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at >= in.size()) {
                return false;
            }
            char escape = in[at++];
            const std::string simple = "\"\\/bfnrt";
            if (escape == 'u') {
                if (at + 4 > in.size()) {
                    return false;
                }
                for (int i = 0; i < 4; ++i) {
                    if (!std::isxdigit(static_cast<unsigned char>(in[at + i]))) {
                        return false;
                    }
                }
                out += static_cast<char>(std::strtol(in.substr(at, 4).c_str(), nullptr, 16));
                at += 4;
            } else if (simple.find(escape) != std::string::npos) {
                const std::string meaning = "\"\\/\b\f\n\r\t";
                out += meaning[simple.find(escape)];
            } else {
                return false;
            }
        }
        return false;
    }

    bool readNumber(double& out) {
        size_t start = at;
        if (at < in.size() && in[at] == '-') {
            ++at;
        }
        auto digits = [&] {
            size_t first = at;
            while (at < in.size() && std::isdigit(static_cast<unsigned char>(in[at]))) {
                ++at;
            }
            return at > first;
        };
        if (!digits()) {
            return false;
        }
        if (at < in.size() && in[at] == '.' && (++at, !digits())) {
            return false;
        }
        if (at < in.size() && (in[at] == 'e' || in[at] == 'E')) {
            ++at;
            if (at < in.size() && (in[at] == '+' || in[at] == '-')) {
                ++at;
            }
            if (!digits()) {
                return false;
            }
        }
        out = std::strtod(in.substr(start, at - start).c_str(), nullptr);
        return true;
    }

    bool readValue(JsonValue& value, int depth) {
        if (depth > 64) {
            return false;
        }
        skipSpace();
        if (at >= in.size()) {
            return false;
        }
        char c = in[at];
        if (c == '{') {
            ++at;
            value.kind = JsonValue::Object;
            if (consume('}')) {
                return true;
            }
            do {
                std::string name;
                JsonValue member;
                if (!readString(name) || !consume(':') || !readValue(member, depth + 1)) {
                    return false;
                }
                value.members[name] = member;
            } while (consume(','));
            return consume('}');
        }
        if (c == '[') {
            ++at;
            value.kind = JsonValue::Array;
            if (consume(']')) {
                return true;
            }
            do {
                JsonValue item;
                if (!readValue(item, depth + 1)) {
                    return false;
                }
                value.items.push_back(item);
            } while (consume(','));
            return consume(']');
        }
        if (c == '"') {
            value.kind = JsonValue::String;
            return readString(value.text);
        }
        if (c == 't' || c == 'f') {
            value.kind = JsonValue::Bool;
            value.flag = c == 't';
            return readWord(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            return readWord("null");
        }
        value.kind = JsonValue::Number;
        return readNumber(value.number);
    }

    const std::string& in;
    size_t at = 0;
};
