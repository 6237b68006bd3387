// Renderer: not built yet.
#include "render/Renderer.h"
