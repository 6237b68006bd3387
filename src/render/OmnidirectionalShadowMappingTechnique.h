// OmnidirectionalShadowMappingTechnique: not built yet.
#pragma once
