// LinearSpline: not built yet.
#include "scene/LinearSpline.h"
