// Scene: builds the fixed world once. A model that fails to import leaves its object without
// meshes (the loader reports it); the object stays in its list and draws nothing.
#include "scene/Scene.h"

#include "gpu/Mesh.h"
#include "render/AnimatedTextureTechnique.h"
#include "render/Billboard.h"
#include "scene/Camera.h"
#include "scene/Chandeliers.h"
#include "scene/Light.h"
#include "scene/SceneObject.h"
#include "scene/ShadowLight.h"

#include <glm/glm.hpp>

namespace {

const char* const shellPath = "Assets/sibenik-cathedral-vray-noWindows.obj";
const char* const windowsPath = "Assets/sibenik-cathedral-vray-Windows.obj";
const char* const chandelierPath = "Assets/zardinjera.obj";
const char* const flamePath = "Assets/fire_anim.gif";

SceneObject* loadObject(const char* path) {
    SceneObject* object = new SceneObject();
    object->meshes = Mesh::load(path);
    return object;
}

} // namespace

Scene::Scene() : camera(mainCamera) {
    camera->setPosition(glm::vec3(0.0f, -13.0f, 10.0f));
    shadowLights.push_back(
        new ShadowLight(glm::vec3(-10.0f, 5.0f, 0.0f), glm::vec3(0.0f, 0.0f, 0.0f)));
    opaqueObjects.push_back(loadObject(shellPath));
    transparentObjects.push_back(loadObject(windowsPath));
    bool first = true;
    for (const glm::vec3& offset : chandelierOffsets) {
        addChandelier(offset, first);
        first = false;
    }
}

Scene::~Scene() {
    for (Light* light : lights) {
        delete light;
    }
    for (ShadowLight* shadowLight : shadowLights) {
        delete shadowLight;
    }
    for (SceneObject* object : opaqueObjects) {
        delete object;
    }
    for (SceneObject* object : transparentObjects) {
        delete object;
    }
    for (Billboard* billboard : billboards) {
        delete billboard;
    }
}

// The chandelier, its light and its flame are first made at the origin and then moved by the
// offset together, so light and flame keep their height above the chandelier.
void Scene::addChandelier(glm::vec3 offset, bool first) {
    SceneObject* chandelier = loadObject(chandelierPath);
    if (first) {
        chandelier->translate(glm::vec3(0.0f));
    }
    opaqueObjects.push_back(chandelier);

    Light* light = new Light(glm::vec3(0.0f), lampColor, lampLinear, lampQuadratic);
    light->position = lampHeight;
    lights.push_back(light);

    Billboard* flame = new Billboard();
    flame->setAnimatedTexture(flamePath);
    flame->translate(flameHeight);
    billboards.push_back(flame);

    chandelier->translate(offset);
    light->position += offset;
    flame->translate(offset);
}

void Scene::update(float dt) {
    for (SceneObject* object : opaqueObjects) {
        object->update(dt);
    }
    for (SceneObject* object : transparentObjects) {
        object->update(dt);
    }
    AnimatedTextureTechnique::updateAll(dt);
}
