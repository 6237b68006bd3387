// Scene: not built yet.
#pragma once
