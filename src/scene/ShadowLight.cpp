// ShadowLight: not built yet.
#include "scene/ShadowLight.h"
