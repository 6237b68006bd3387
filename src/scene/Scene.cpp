// Scene: not built yet.
#include "scene/Scene.h"
