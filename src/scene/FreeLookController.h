// FreeLookController: not built yet.
#pragma once
