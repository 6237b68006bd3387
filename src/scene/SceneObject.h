// SceneObject: not built yet.
#pragma once
