// LightShaftsTechnique: not built yet.
#include "render/LightShaftsTechnique.h"
