// GaussBlurTechnique: not built yet.
#include "render/GaussBlurTechnique.h"
