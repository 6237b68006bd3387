// OmnidirectionalShadowMappingTechnique: not built yet.
#include "render/OmnidirectionalShadowMappingTechnique.h"
