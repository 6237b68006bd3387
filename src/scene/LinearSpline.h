// LinearSpline: not built yet.
#pragma once
