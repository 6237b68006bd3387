// AnimatedTextureTechnique: not built yet.
#pragma once
