// ShaderManager: not built yet.
#include "gpu/ShaderManager.h"
