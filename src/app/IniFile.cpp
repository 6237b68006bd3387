// IniFile: line-by-line parsing into raw strings, integer conversion on lookup.
#include "app/IniFile.h"

#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>

namespace {

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string entryName(const std::string& section, const std::string& key) {
    return lowerCase(trimmed(section)) + '\n' + lowerCase(trimmed(key));
}

// Reads an optional sign and the leading digits; false when the number leaves the int range.
bool readLeadingInteger(const std::string& value, int& result) {
    size_t at = 0;
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) {
        negative = value[at] == '-';
        ++at;
    }
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; at < value.size() && std::isdigit(static_cast<unsigned char>(value[at])); ++at) {
        magnitude = magnitude * 10 + (value[at] - '0');
        if (magnitude > limit) {
            return false;
        }
    }
    result = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

} // namespace

IniFile IniFile::load(const std::string& path) {
    // Only a regular file is read, so a directory or a pipe of that name cannot block start-up.
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        return IniFile();
    }
    std::ifstream file(path);
    return parse(file);
}

IniFile IniFile::parse(std::istream& text) {
    IniFile ini;
    std::string section;
    bool inSection = false;
    std::string line;
    for (bool first = true; std::getline(text, line); first = false) {
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line.erase(0, 3); // UTF-8 byte order mark
        }
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            size_t close = line.find(']');
            inSection = close != std::string::npos;
            section = inSection ? line.substr(1, close - 1) : "";
            continue;
        }
        size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos) {
            continue;
        }
        // emplace keeps the first occurrence of a key.
        ini.values.emplace(entryName(section, line.substr(0, equals)),
                           trimmed(line.substr(equals + 1)));
    }
    return ini;
}

int IniFile::getInt(const std::string& section, const std::string& key, int defaultValue) const {
    auto entry = values.find(entryName(section, key));
    if (entry == values.end() || entry->second.empty()) {
        return defaultValue;
    }
    int value = 0;
    return readLeadingInteger(entry->second, value) ? value : defaultValue;
}

std::string IniFile::getText(const std::string& section, const std::string& key) const {
    auto entry = values.find(entryName(section, key));
    return entry == values.end() ? "" : entry->second;
}
