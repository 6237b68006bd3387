// IniFile: not built yet.
#pragma once
