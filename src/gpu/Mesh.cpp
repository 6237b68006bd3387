// Mesh: not built yet.
#include "gpu/Mesh.h"
