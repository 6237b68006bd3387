// StandingState: the table applied.
#include "gpu/StandingState.h"

void setStandingState() {
    for (const StandingCapability& standing : standingCapabilities) {
        if (standing.enabled) {
            glEnable(standing.capability);
        } else {
            glDisable(standing.capability);
        }
    }
    glCullFace(standingCullFace);
    glBlendEquation(standingBlendEquation);
    glBlendFunc(standingBlendSource, standingBlendDestination);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}
