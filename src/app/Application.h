// Application: not built yet.
#pragma once
