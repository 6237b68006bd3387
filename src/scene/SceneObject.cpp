// SceneObject: not built yet.
#include "scene/SceneObject.h"
