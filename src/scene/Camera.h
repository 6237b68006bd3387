// Camera: not built yet.
#pragma once
