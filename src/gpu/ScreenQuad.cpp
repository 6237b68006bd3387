// ScreenQuad: not built yet.
#include "gpu/ScreenQuad.h"
