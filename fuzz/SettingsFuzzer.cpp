// Fuzz target for the options reader: any bytes as options.ini, read the way start-up reads it.
// Besides the sanitizers' checks it holds the reader to what start-up relies on: a window size
// that can be opened (both sides positive) whatever the file says.
#include "app/Application.h"
#include "app/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

[[noreturn]] void fail(const char* what, int value) {
    std::fprintf(stderr, "SettingsFuzzer: %s (%d)\n", what, value);
    std::abort();
}

// Key names taken from the input as well, so lookups of odd names are exercised too.
std::string keyFromInput(const std::string& text) {
    size_t equals = text.find('=');
    return equals == std::string::npos ? text.substr(0, 16) : text.substr(0, equals);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream stream(text);
    IniFile ini = IniFile::parse(stream);

    Application application;
    application.readOptions(ini);
    if (application.width <= 0) {
        fail("window width is not positive", application.width);
    }
    if (application.height <= 0) {
        fail("window height is not positive", application.height);
    }

    // A default comes back whenever the key is absent: the same lookup with two defaults may
    // differ only when the key is there.
    std::string key = keyFromInput(text);
    int first = ini.getInt("Window", key, 17);
    int second = ini.getInt("Window", key, -17);
    if (first != second && !(first == 17 && second == -17)) {
        fail("lookup depends on the default in a way no stored value explains", first);
    }
    return 0;
}
