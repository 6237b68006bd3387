// ShadowMappingTechnique: not built yet.
#include "render/ShadowMappingTechnique.h"
