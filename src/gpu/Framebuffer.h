// Framebuffer: not built yet.
#pragma once
