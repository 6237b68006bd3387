// FreeLookController: not built yet.
#include "scene/FreeLookController.h"
