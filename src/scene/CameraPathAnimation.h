// CameraPathAnimation: not built yet.
#pragma once
