// WorkingDirectory: not built yet.
#include "app/WorkingDirectory.h"
