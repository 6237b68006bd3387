// The scene: what it holds and where, built three ways: with the program's own Assets/, with a
// working directory holding only a small chandelier model and a flame GIF written here (so the
// shared files must load exactly once), and with no Assets/ at all (it must still be complete).
#include "GLTestContext.h"
#include "TestGif.h"
#include "gpu/Mesh.h"
#include "gpu/ShaderManager.h"
#include "render/AnimatedTextureTechnique.h"
#include "render/Billboard.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "scene/ShadowLight.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Placement {
    glm::vec3 chandelier;
    glm::vec3 light;
    glm::vec3 flame;
};

// The chandeliers in light order, with each light and flame as written in the placement table.
const Placement placements[] = {
    {{6, -11.3f, -8}, {6, -10.6f, -8}, {6, -10.8f, -8}},
    {{-6, -11.3f, -8}, {-6, -10.6f, -8}, {-6, -10.8f, -8}},
    {{3, -15, 4}, {3, -14.3f, 4}, {3, -14.5f, 4}},
    {{-3, -15, 4}, {-3, -14.3f, 4}, {-3, -14.5f, 4}},
    {{3, -15, 16}, {3, -14.3f, 16}, {3, -14.5f, 16}},
    {{-3, -15, 16}, {-3, -14.3f, 16}, {-3, -14.5f, 16}},
    {{0, -12.5f, -16}, {0, -11.8f, -16}, {0, -12, -16}},
};

int countOccurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

void expectVec3Near(glm::vec3 actual, glm::vec3 expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectPureTranslation(const glm::mat4& m, glm::vec3 translation) {
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(m[c][r], c == r ? 1.0f : 0.0f) << "column " << c << " row " << r;
        }
    }
    expectVec3Near(glm::vec3(m[3]), translation);
    EXPECT_EQ(m[3][3], 1.0f);
}

class SceneTest : public GLTest {
protected:
    std::filesystem::path home;
    std::filesystem::path scratch;

    static void SetUpTestSuite() {
        if (GLTestContext::window() != nullptr) {
            ShaderManager::loadShaders();
        }
    }

    void SetUp() override {
        GLTest::SetUp();
        home = std::filesystem::current_path();
        scratch =
            std::filesystem::temp_directory_path() / ("scene-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(scratch);
        Mesh::deleteAll();
        AnimatedTextureTechnique::deleteAll();
    }

    void TearDown() override {
        std::filesystem::current_path(home);
        std::filesystem::remove_all(scratch);
        Mesh::deleteAll();
        AnimatedTextureTechnique::deleteAll();
    }

    // Builds the scene with captured output; fails on OpenGL error messages.
    Scene* buildScene(std::string& output) {
        testing::internal::CaptureStdout();
        Scene* scene = new Scene();
        output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(countGLErrorLines(output), 0) << output;
        return scene;
    }

    // Content that does not depend on which files could be read.
    void expectLayout(const Scene& scene) {
        ASSERT_EQ(scene.lights.size(), 7u);
        ASSERT_EQ(scene.opaqueObjects.size(), 8u);
        ASSERT_EQ(scene.transparentObjects.size(), 1u);
        ASSERT_EQ(scene.billboards.size(), 7u);
        ASSERT_EQ(scene.shadowLights.size(), 1u);
        EXPECT_EQ(scene.camera, mainCamera);
        expectVec3Near(mainCamera->getPosition(), glm::vec3(0, -13, 10), 0.0f);

        expectPureTranslation(scene.opaqueObjects[0]->modelMatrix, glm::vec3(0.0f));
        expectPureTranslation(scene.transparentObjects[0]->modelMatrix, glm::vec3(0.0f));
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE("chandelier " + std::to_string(i + 1));
            expectPureTranslation(scene.opaqueObjects[i + 1]->modelMatrix,
                                  placements[i].chandelier);
            expectPureTranslation(scene.billboards[i]->modelMatrix, placements[i].flame);
            const Light& light = *scene.lights[i];
            expectVec3Near(light.position, placements[i].light);
            EXPECT_EQ(light.color, glm::vec3(1.0f, 1.0f, 0.75f));
            EXPECT_EQ(light.linear, 0.0f);
            EXPECT_EQ(light.quadratic, 0.3f);
            EXPECT_EQ(scene.billboards[i]->animatedTexture, scene.billboards[0]->animatedTexture);
            EXPECT_NE(scene.billboards[i]->animatedTexture, nullptr);
            EXPECT_EQ(scene.opaqueObjects[i + 1]->meshes, scene.opaqueObjects[1]->meshes);
        }
        const ShadowLight& view = *scene.shadowLights[0];
        expectVec3Near(view.position, glm::vec3(-10, 5, 0), 0.0f);
        expectVec3Near(view.target, glm::vec3(0.0f), 0.0f);
        EXPECT_EQ(view.fieldOfView, 70.0f);
        EXPECT_EQ(view.aspectRatio, 1.3333334f);
        EXPECT_EQ(view.nearPlane, 0.01f);
        EXPECT_EQ(view.farPlane, 100.0f);
    }

    void expectSharedFilesRequestedSevenTimes(const std::string& output) {
        EXPECT_EQ(countOccurrences(output, "Start loading Animated Textures\n"), 7);
        EXPECT_EQ(countOccurrences(output, "Animated Texture already in memory. Get copy.\n"), 6);
        EXPECT_EQ(countOccurrences(output, "all Animated Textures im memory: 1\n"), 1);
    }
};

} // namespace

TEST_F(SceneTest, BuildsTheWorldFromTheProgramsAssets) {
    std::string output;
    Scene* scene = buildScene(output);
    expectLayout(*scene);
    expectSharedFilesRequestedSevenTimes(output);
    const bool haveChandelier = std::filesystem::exists("Assets/zardinjera.obj");
    EXPECT_EQ(countOccurrences(output, "Importing file from: Assets/zardinjera.obj\n"),
              haveChandelier ? 1 : 7)
        << output;
    EXPECT_EQ(scene->opaqueObjects[1]->meshes.empty(), !haveChandelier);
    EXPECT_EQ(scene->opaqueObjects[0]->meshes.empty(),
              !std::filesystem::exists("Assets/sibenik-cathedral-vray-noWindows.obj"));
    EXPECT_EQ(scene->transparentObjects[0]->meshes.empty(),
              !std::filesystem::exists("Assets/sibenik-cathedral-vray-Windows.obj"));
    EXPECT_EQ(scene->billboards[0]->animatedTexture->frameCount > 0,
              std::filesystem::exists("Assets/fire_anim.gif"));
}

// Only the chandelier and the flame exist: both load once, the cathedral files are missing.
TEST_F(SceneTest, SharedFilesLoadOnceAndUpdateAdvancesTheSharedFlameOnce) {
    std::filesystem::create_directories(scratch / "Assets");
    std::ofstream(scratch / "Assets/zardinjera.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::vector<GifBand> pages(10, GifBand{0, 255, 160, 40, false});
    ASSERT_TRUE(writeSolidGif((scratch / "Assets/fire_anim.gif").string(), pages, 4));
    std::filesystem::current_path(scratch);

    std::string output;
    Scene* scene = buildScene(output);
    expectLayout(*scene);
    expectSharedFilesRequestedSevenTimes(output);
    EXPECT_EQ(countOccurrences(output, "Importing file from: Assets/zardinjera.obj\n"), 1)
        << output;
    EXPECT_EQ(scene->opaqueObjects[1]->meshes.size(), 1u);
    EXPECT_TRUE(scene->opaqueObjects[0]->meshes.empty());
    EXPECT_TRUE(scene->transparentObjects[0]->meshes.empty());
    AnimatedTextureTechnique* flame = scene->billboards[0]->animatedTexture;
    EXPECT_EQ(flame->frameCount, 10);

    std::vector<glm::mat4> matrices;
    for (SceneObject* object : scene->opaqueObjects) {
        matrices.push_back(object->modelMatrix);
    }
    scene->update(0.25f);
    EXPECT_FLOAT_EQ(flame->elapsed, 0.25f) << "the shared flame must advance once per update";
    for (size_t i = 0; i < matrices.size(); ++i) {
        EXPECT_EQ(scene->opaqueObjects[i]->modelMatrix, matrices[i]);
    }
    expectLayout(*scene);
}

TEST_F(SceneTest, WithoutAnyAssetsTheSceneIsStillComplete) {
    std::filesystem::current_path(scratch);
    std::string output;
    Scene* scene = buildScene(output);
    expectLayout(*scene);
    expectSharedFilesRequestedSevenTimes(output);
    for (SceneObject* object : scene->opaqueObjects) {
        EXPECT_TRUE(object->meshes.empty());
    }
    EXPECT_EQ(scene->billboards[0]->animatedTexture->frameCount, 0);
    EXPECT_EQ(countOccurrences(output, "Assets/fire_anim.gif could not be opened"), 1) << output;
    scene->update(0.5f);
    expectLayout(*scene);
}
