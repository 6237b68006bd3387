// Light: not built yet.
#pragma once
