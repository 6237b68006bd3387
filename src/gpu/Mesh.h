// Mesh: not built yet.
#pragma once
