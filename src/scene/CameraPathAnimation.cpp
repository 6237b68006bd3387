// CameraPathAnimation: not built yet.
#include "scene/CameraPathAnimation.h"
