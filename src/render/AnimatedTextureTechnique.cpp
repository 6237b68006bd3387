// AnimatedTextureTechnique: not built yet.
#include "render/AnimatedTextureTechnique.h"
