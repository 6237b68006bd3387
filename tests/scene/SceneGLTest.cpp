// The scene built three ways: with the program's own Assets/, with a working directory holding
// only a small chandelier model and a flame GIF (the shared files must load exactly once), and
// with no Assets/ at all (the scene must still be complete).
#include "GLTestContext.h"
#include "OutputCapture.h"
#include "ScratchDirectory.h"
#include "TestGif.h"
#include "gpu/Mesh.h"
#include "gpu/ShaderManager.h"
#include "render/AnimatedTextureTechnique.h"
#include "render/Billboard.h"
#include "scene/Camera.h"
#include "scene/Chandeliers.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "scene/ShadowLight.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

void expectTranslation(const glm::mat4& m, glm::vec3 t) {
    const glm::mat4 expected = glm::translate(glm::mat4(1.0f), t);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(m[c][r], expected[c][r], 1e-5f) << "column " << c << " row " << r;
        }
    }
}

class SceneTest : public GLTest {
protected:
    const fs::path home = fs::current_path();
    ScratchDirectory scratchDirectory;
    const fs::path scratch = scratchDirectory.path;
    std::string output;

    static void SetUpTestSuite() {
        if (GLTestContext::window() != nullptr) {
            ShaderManager::loadShaders();
        }
    }

    void SetUp() override {
        GLTest::SetUp();
        Mesh::deleteAll();
        AnimatedTextureTechnique::deleteAll();
    }

    void TearDown() override {
        fs::current_path(home);
        Mesh::deleteAll();
        AnimatedTextureTechnique::deleteAll();
    }

    // Builds the scene, checks what must hold whichever files could be read, and returns it.
    Scene* buildAndCheckLayout() {
        Scene* scene = nullptr;
        output = captureOutput([&] { scene = new Scene(); });
        EXPECT_EQ(countGLErrorLines(output), 0) << output;
        EXPECT_EQ(countOccurrences(output, "Start loading Animated Textures\n"), 7);
        EXPECT_EQ(countOccurrences(output, "Animated Texture already in memory. Get copy.\n"), 6);
        EXPECT_EQ(countOccurrences(output, "all Animated Textures im memory: 1\n"), 1);
        checkLayout(*scene);
        return scene;
    }

    void checkLayout(const Scene& scene) {
        ASSERT_EQ(scene.lights.size(), 7u);
        ASSERT_EQ(scene.opaqueObjects.size(), 8u);
        ASSERT_EQ(scene.transparentObjects.size(), 1u);
        ASSERT_EQ(scene.billboards.size(), 7u);
        ASSERT_EQ(scene.shadowLights.size(), 1u);
        EXPECT_EQ(scene.camera, mainCamera);
        EXPECT_EQ(mainCamera->getPosition(), glm::vec3(0, -13, 10));
        EXPECT_EQ(scene.opaqueObjects[0]->modelMatrix, glm::mat4(1.0f));
        EXPECT_EQ(scene.transparentObjects[0]->modelMatrix, glm::mat4(1.0f));
        for (size_t i = 0; i < std::size(chandelierOffsets); ++i) {
            SCOPED_TRACE("chandelier " + std::to_string(i + 1));
            const glm::vec3 offset = chandelierOffsets[i];
            expectTranslation(scene.opaqueObjects[i + 1]->modelMatrix, offset);
            EXPECT_EQ(scene.opaqueObjects[i + 1]->meshes, scene.opaqueObjects[1]->meshes);
            const Light& light = *scene.lights[i];
            EXPECT_NEAR(glm::length(light.position - (offset + lampHeight)), 0.0f, 1e-5f);
            EXPECT_EQ(light.color, lampColor);
            EXPECT_EQ(light.linear, lampLinear);
            EXPECT_EQ(light.quadratic, lampQuadratic);
            expectTranslation(scene.billboards[i]->modelMatrix, offset + flameHeight);
            EXPECT_NE(scene.billboards[i]->animatedTexture, nullptr);
            EXPECT_EQ(scene.billboards[i]->animatedTexture, scene.billboards[0]->animatedTexture);
        }
        EXPECT_EQ(scene.shadowLights[0]->position, glm::vec3(-10, 5, 0));
        EXPECT_EQ(scene.shadowLights[0]->target, glm::vec3(0.0f));
    }
};

} // namespace

TEST_F(SceneTest, BuildsTheWorldFromTheProgramsAssets) {
    Scene* scene = buildAndCheckLayout();
    const bool chandelier = fs::exists("Assets/zardinjera.obj");
    EXPECT_EQ(countOccurrences(output, "Importing file from: Assets/zardinjera.obj\n"),
              chandelier ? 1 : 7);
    EXPECT_EQ(scene->opaqueObjects[1]->meshes.empty(), !chandelier);
    EXPECT_EQ(scene->opaqueObjects[0]->meshes.empty(),
              !fs::exists("Assets/sibenik-cathedral-vray-noWindows.obj"));
    EXPECT_EQ(scene->transparentObjects[0]->meshes.empty(),
              !fs::exists("Assets/sibenik-cathedral-vray-Windows.obj"));
    EXPECT_EQ(scene->billboards[0]->animatedTexture->frameCount > 0,
              fs::exists("Assets/fire_anim.gif"));
    delete scene;
}

// Only the chandelier and the flame exist: both load once; update advances the flame once.
TEST_F(SceneTest, SharedFilesLoadOnceAndUpdateMovesOnlyTheFlame) {
    fs::create_directories(scratch / "Assets");
    std::ofstream(scratch / "Assets/zardinjera.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    ASSERT_TRUE(writeNumberedGif((scratch / "Assets/fire_anim.gif").string(), 10, 4));
    fs::current_path(scratch);
    Scene* scene = buildAndCheckLayout();
    EXPECT_EQ(countOccurrences(output, "Importing file from: Assets/zardinjera.obj\n"), 1);
    EXPECT_EQ(scene->opaqueObjects[1]->meshes.size(), 1u);
    EXPECT_TRUE(scene->opaqueObjects[0]->meshes.empty());
    EXPECT_TRUE(scene->transparentObjects[0]->meshes.empty());
    AnimatedTextureTechnique* flame = scene->billboards[0]->animatedTexture;
    EXPECT_EQ(flame->frameCount, 10);
    scene->update(0.25f);
    EXPECT_FLOAT_EQ(flame->elapsed, 0.25f) << "the shared flame must advance once per update";
    checkLayout(*scene);
    delete scene;
}

TEST_F(SceneTest, WithoutAnyAssetsTheSceneIsStillComplete) {
    fs::current_path(scratch);
    Scene* scene = buildAndCheckLayout();
    for (SceneObject* object : scene->opaqueObjects) {
        EXPECT_TRUE(object->meshes.empty());
    }
    EXPECT_EQ(scene->billboards[0]->animatedTexture->frameCount, 0);
    EXPECT_EQ(countOccurrences(output, "Assets/fire_anim.gif could not be opened"), 1) << output;
    scene->update(0.5f);
    checkLayout(*scene);
    delete scene;
}
