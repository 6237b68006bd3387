// WorkingDirectory: not built yet.
#pragma once
