// Texture: not built yet.
#pragma once
