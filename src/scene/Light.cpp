// Light: not built yet.
#include "scene/Light.h"
