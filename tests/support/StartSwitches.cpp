// StartSwitches: the switch table's states taken during static initialisation, before main, with
// the settings that no key switch steps.
#include "StartSwitches.h"

#include "app/RenderSettings.h"

namespace {

// RenderSettings' members are constant-initialised, so they hold their start values here.
const std::vector<int> atStart = switchStates();
const bool updateShadowMapsAtStart = RenderSettings::updateShadowMaps;
const bool screenshotRequestedAtStart = RenderSettings::screenshotRequested;
const bool shaderReloadRequestedAtStart = RenderSettings::shaderReloadRequested;

} // namespace

std::vector<int> switchStates() {
    std::vector<int> states;
    for (const KeySwitch& keySwitch : keySwitches()) {
        states.push_back(keySwitch.setting.get());
    }
    return states;
}

void restoreStartSwitches() {
    for (size_t i = 0; i < atStart.size(); ++i) {
        keySwitches()[i].setting.set(atStart[i]);
    }
    RenderSettings::updateShadowMaps = updateShadowMapsAtStart;
    RenderSettings::screenshotRequested = screenshotRequestedAtStart;
    RenderSettings::shaderReloadRequested = shaderReloadRequestedAtStart;
}

std::vector<const KeySwitch*> frameSwitches() {
    std::vector<const KeySwitch*> switches;
    for (const KeySwitch& keySwitch : keySwitches()) {
        if (keySwitch.benchName) {
            switches.push_back(&keySwitch);
        }
    }
    return switches;
}
