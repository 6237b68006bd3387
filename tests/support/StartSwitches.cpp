// StartSwitches: a copy of the switches taken during static initialisation, before main.
#include "StartSwitches.h"

#include "app/RenderSettings.h"

#include <tuple>

namespace {

// Every switch restoreStartSwitches puts back, listed once, as references to the settings.
auto switches() {
    return std::tie(RenderSettings::bumpMapping, RenderSettings::bloom, RenderSettings::ssao,
                    RenderSettings::transparentObjects, RenderSettings::omnidirectionalShadows,
                    RenderSettings::updateShadowMaps, RenderSettings::lightMode,
                    RenderSettings::coloredShadows, RenderSettings::debugView,
                    RenderSettings::overlay, RenderSettings::antiAliasing,
                    RenderSettings::fullscreen, RenderSettings::screenshotRequested);
}

// The values behind the references. RenderSettings' members are constant-initialised, so they
// hold their start values here.
const auto atStart =
    std::apply([](const auto&... value) { return std::make_tuple(value...); }, switches());

} // namespace

void restoreStartSwitches() {
    switches() = atStart;
}
