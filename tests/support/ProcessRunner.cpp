// ProcessRunner: not built yet.
#include "ProcessRunner.h"
