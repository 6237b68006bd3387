// SSAOTechnique: not built yet.
#include "render/SSAOTechnique.h"
