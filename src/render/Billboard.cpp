// Billboard: not built yet.
#include "render/Billboard.h"
