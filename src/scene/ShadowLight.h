// ShadowLight: not built yet.
#pragma once
