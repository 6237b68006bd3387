// Shader: not built yet.
#pragma once
