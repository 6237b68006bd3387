// Scene: the fixed world of the demo. The constructor loads the cathedral shell, its windows and
// seven chandeliers, each with a point light and a fire billboard, adds the light view for
// colored shadows and places the camera. Afterwards only the animated textures move on.
#pragma once

#include <glm/glm.hpp>

#include <vector>

class Billboard;
class Camera;
class Light;
class SceneObject;
class ShadowLight;

class Scene {
public:
    std::vector<Light*> lights;                   // the 7 chandelier lights, in placement order
    std::vector<ShadowLight*> shadowLights;       // one light view
    std::vector<SceneObject*> opaqueObjects;      // the shell, then the 7 chandeliers
    std::vector<SceneObject*> transparentObjects; // the windows
    std::vector<Billboard*> billboards;           // the 7 flames, in placement order
    Camera* camera = nullptr;                     // mainCamera; not owned

    // Needs the current OpenGL context (models and textures are uploaded at once).
    Scene();
    // Deletes the lights, the light view, the placed objects and the billboards (whose quads go
    // with them, so the context must still be current); the meshes belong to their registry.
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    // Advances the time-dependent state (the animated textures) by dt seconds.
    void update(float dt);

private:
    void addChandelier(glm::vec3 offset, bool first);
};
