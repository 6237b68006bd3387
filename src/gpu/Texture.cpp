// Texture: not built yet.
#include "gpu/Texture.h"
