// SSAOTechnique: not built yet.
#pragma once
