// GaussBlurTechnique: not built yet.
#pragma once
