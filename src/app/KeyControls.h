// KeyControls: not built yet.
#pragma once
