// LightShaftsTechnique: not built yet.
#pragma once
