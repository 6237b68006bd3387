// IniFile: not built yet.
#include "app/IniFile.h"
