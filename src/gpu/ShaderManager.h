// ShaderManager: not built yet.
#pragma once
