// Camera: not built yet.
#include "scene/Camera.h"
