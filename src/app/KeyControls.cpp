// KeyControls: not built yet.
#include "app/KeyControls.h"
