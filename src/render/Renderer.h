// Renderer: not built yet.
#pragma once
