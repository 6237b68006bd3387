// ShadowMappingTechnique: not built yet.
#pragma once
