// A small reader for Windows-style INI files, standing in for GetPrivateProfileInt: sections in
// square brackets, "key=value" lines, section and key names compared without regard to ASCII
// letter case, integer values with a default for anything absent.
#pragma once

#include <istream>
#include <map>
#include <string>

class IniFile {
public:
    // An empty file: every lookup gives its default.
    IniFile() = default;
    // Reads the file at `path`; a missing, unreadable or non-regular file reads as empty.
    static IniFile load(const std::string& path);
    // Reads INI text from a stream.
    static IniFile parse(std::istream& text);

    // The value of `key` in `section`, read as a decimal integer:
    // - a missing section or key, or a key with an empty value, gives `defaultValue`;
    // - spaces and tabs around names and values are ignored ("  width =  800 " is 800);
    // - an optional sign, then the leading decimal digits are read and the rest of the value is
    //   ignored: "12px" is 12, "640 ; note" is 640, "-5" is -5, "+7" is 7, "0x20" is 0;
    // - a value that does not start with a number ("abc", "-") is 0, like the Windows call;
    // - a number outside the int range gives `defaultValue`;
    // - lines starting with ';' or '#' are comments; lines without '=' outside a section header
    //   are ignored; the first occurrence of a key wins, as with the Windows call.
    int getInt(const std::string& section, const std::string& key, int defaultValue) const;
    // The value of `key` in `section` as the file holds it, without the spaces around it; empty
    // for a missing key. For messages that say what was read.
    std::string getText(const std::string& section, const std::string& key) const;

private:
    // Raw values by lower-case "section" + '\n' + "key".
    std::map<std::string, std::string> values;
};
