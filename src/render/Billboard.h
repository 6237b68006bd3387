// Billboard: not built yet.
#pragma once
