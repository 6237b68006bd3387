// ScreenQuad: not built yet.
#pragma once
