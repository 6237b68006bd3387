// Application: not built yet.
#include "app/Application.h"
