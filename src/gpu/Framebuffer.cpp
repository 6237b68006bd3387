// Framebuffer: not built yet.
#include "gpu/Framebuffer.h"
