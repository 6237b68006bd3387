// ProcessRunner: not built yet.
#pragma once
