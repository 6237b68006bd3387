// StartSwitches: a copy of the switches taken during static initialisation, before main.
#include "StartSwitches.h"

#include "app/RenderSettings.h"

namespace {

struct Switches {
    bool bumpMapping = RenderSettings::bumpMapping;
    bool bloom = RenderSettings::bloom;
    bool ssao = RenderSettings::ssao;
    bool transparentObjects = RenderSettings::transparentObjects;
    bool omnidirectionalShadows = RenderSettings::omnidirectionalShadows;
    bool updateShadowMaps = RenderSettings::updateShadowMaps;
    LightMode lightMode = RenderSettings::lightMode;
    bool coloredShadows = RenderSettings::coloredShadows;
    DebugView debugView = RenderSettings::debugView;
    bool overlay = RenderSettings::overlay;
    bool antiAliasing = RenderSettings::antiAliasing;
    bool fullscreen = RenderSettings::fullscreen;
    bool screenshotRequested = RenderSettings::screenshotRequested;
};

// RenderSettings' members are constant-initialised, so they hold their start values here.
const Switches atStart;

} // namespace

void restoreStartSwitches() {
    RenderSettings::bumpMapping = atStart.bumpMapping;
    RenderSettings::bloom = atStart.bloom;
    RenderSettings::ssao = atStart.ssao;
    RenderSettings::transparentObjects = atStart.transparentObjects;
    RenderSettings::omnidirectionalShadows = atStart.omnidirectionalShadows;
    RenderSettings::updateShadowMaps = atStart.updateShadowMaps;
    RenderSettings::lightMode = atStart.lightMode;
    RenderSettings::coloredShadows = atStart.coloredShadows;
    RenderSettings::debugView = atStart.debugView;
    RenderSettings::overlay = atStart.overlay;
    RenderSettings::antiAliasing = atStart.antiAliasing;
    RenderSettings::fullscreen = atStart.fullscreen;
    RenderSettings::screenshotRequested = atStart.screenshotRequested;
}
