// DebugView: the view names, written once; the command-line names are derived from them.
#include "render/DebugView.h"

#include <cctype>

namespace {

const char* const viewNames[kDebugViewCount] = {
    "Final Image", "World Position",     "World Normal",    "Diffuse Color",  "Ambient Occlusion",
    "Bloom",       "Colored Shadow Map", "Shadow Cube Map", "Indirect Light",
};

} // namespace

const char* debugViewName(DebugView view) {
    return viewNames[static_cast<int>(view)];
}

DebugView nextDebugView(DebugView view) {
    return static_cast<DebugView>((static_cast<int>(view) + 1) % kDebugViewCount);
}

std::string debugViewArgument(DebugView view) {
    std::string argument;
    for (const char* c = debugViewName(view); *c != '\0'; ++c) {
        argument +=
            *c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    }
    return argument;
}

std::optional<DebugView> debugViewFromArgument(const std::string& argument) {
    for (int i = 0; i < kDebugViewCount; ++i) {
        if (debugViewArgument(static_cast<DebugView>(i)) == argument) {
            return static_cast<DebugView>(i);
        }
    }
    return std::nullopt;
}
