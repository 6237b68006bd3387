// DebugView: the view table, written once; the command-line and shader names are derived from
// the display names.
#include "base/DebugView.h"

#include <cctype>

const DebugViewRow debugViews[kDebugViewCount] = {
    {DebugView::FinalImage, "Final Image", ViewBuffer::None},
    {DebugView::WorldPosition, "World Position", ViewBuffer::WorldPosition},
    {DebugView::WorldNormal, "World Normal", ViewBuffer::WorldNormal},
    {DebugView::DiffuseColor, "Diffuse Color", ViewBuffer::DiffuseColor},
    {DebugView::AmbientOcclusion, "Ambient Occlusion", ViewBuffer::AmbientOcclusion},
    {DebugView::Bloom, "Bloom", ViewBuffer::Bloom},
    {DebugView::ColoredShadowMap, "Colored Shadow Map", ViewBuffer::ColoredShadowMap},
    {DebugView::ShadowCubeMap, "Shadow Cube Map", ViewBuffer::ShadowCubeMap},
    {DebugView::IndirectLight, "Indirect Light", ViewBuffer::IndirectLight},
};

namespace {

// The display name with its blanks as `blank` and its letters through `letter`.
std::string spelledAs(DebugView view, char blank, int (*letter)(int)) {
    std::string spelled;
    for (const char* c = debugViewName(view); *c != '\0'; ++c) {
        spelled += *c == ' ' ? blank : static_cast<char>(letter(static_cast<unsigned char>(*c)));
    }
    return spelled;
}

} // namespace

const char* debugViewName(DebugView view) {
    return debugViewRow(view).name;
}

std::string debugViewArgument(DebugView view) {
    return spelledAs(view, '-', [](int c) { return std::tolower(c); });
}

std::string debugViewConstant(DebugView view) {
    return "VIEW_" + spelledAs(view, '_', [](int c) { return std::toupper(c); });
}

std::optional<DebugView> debugViewFromArgument(const std::string& argument) {
    for (const DebugViewRow& row : debugViews) {
        if (debugViewArgument(row.view) == argument) {
            return row.view;
        }
    }
    return std::nullopt;
}
