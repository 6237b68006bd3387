// Shader: not built yet.
#include "gpu/Shader.h"
