// The two shadow techniques on their own: the cube map's face matrices against the GL cube-map
// lookup rule, what one render writes into the six faces, which faces a view reads, and the
// colored shadow map's texel
// convention (transmitted light in rgb, closeness 1 - depth in alpha) with and without panes.
#include "../gpu/GpuTestSupport.h"
#include "RenderTestScene.h"

#include "GLTestContext.h"
#include "RobustnessSupport.h"
#include "gpu/Mesh.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "gpu/StandingState.h"
#include "render/Frustum.h"
#include "render/OmnidirectionalShadowMappingTechnique.h"
#include "render/Renderer.h"
#include "render/ShadowMappingTechnique.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "scene/ShadowLight.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <random>
#include <vector>

using namespace rendertest;

namespace {

// GL's cube-map face selection: for a direction whose major axis is face i, the face
// coordinates sc, tc and the major-axis magnitude ma (s = (sc / ma + 1) / 2, t likewise).
glm::vec3 cubeLookup(int face, glm::vec3 r) {
    switch (face) {
    case 0:
        return {-r.z, -r.y, std::fabs(r.x)};
    case 1:
        return {r.z, -r.y, std::fabs(r.x)};
    case 2:
        return {r.x, r.z, std::fabs(r.y)};
    case 3:
        return {r.x, -r.z, std::fabs(r.y)};
    case 4:
        return {r.x, -r.y, std::fabs(r.z)};
    default:
        return {-r.x, -r.y, std::fabs(r.z)};
    }
}

bool insideFrustum(glm::vec4 clip) {
    return std::fabs(clip.x) <= clip.w && std::fabs(clip.y) <= clip.w && clip.z >= -clip.w &&
           clip.z <= clip.w;
}

// The shared GLSL's cubeFaceDepth, the depth convention of the cube maps, run on the GPU.
float cubeFaceDepth(float axisDistance, glm::vec2 nearFar) {
    const std::string vertex = "#version 330 core\n"
                               "void main() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0); }\n";
    const std::string fragment =
        "#version 330 core\n"
        "uniform float axisDistance;\n"
        "uniform vec2 nearFar;\n"
        "out vec4 depth;\n"
        "void main() {\n"
        "    depth = vec4(vec3(cubeFaceDepth(axisDistance, nearFar)), 1.0);\n"
        "}\n";
    GLuint program = glCreateProgram();
    GLuint stages[] = {compileStage(GL_VERTEX_SHADER, Shader::withConstants(vertex).c_str()),
                       compileStage(GL_FRAGMENT_SHADER, Shader::withConstants(fragment).c_str())};
    linkProgram(program, stages[0], stages[1]);
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "axisDistance"), axisDistance);
    glUniform2f(glGetUniformLocation(program, "nearFar"), nearFar.x, nearFar.y);
    float depth = 0.0f;
    {
        FloatTarget target(1, 1);
        glDrawArrays(GL_POINTS, 0, 1);
        depth = target.pixels()[0].r;
    }
    glUseProgram(0);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteProgram(program);
    for (GLuint stage : stages) {
        glDeleteShader(stage);
    }
    return depth;
}

std::vector<float> readFace(GLuint cubeMap, int face, int size) {
    std::vector<float> depth(static_cast<size_t>(size) * size);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                  depth.data());
    return depth;
}

std::vector<glm::vec4> readColorMap(GLuint texture, int size) {
    std::vector<glm::vec4> texels(static_cast<size_t>(size) * size);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    return texels;
}

std::vector<float> readDepthMap(GLuint texture, int size) {
    std::vector<float> depth(static_cast<size_t>(size) * size);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    return depth;
}

// Texel of the light-view map that a world point falls on.
int mapTexel(const glm::mat4& lightViewProjection, glm::vec3 world) {
    glm::vec4 clip = lightViewProjection * glm::vec4(world, 1.0f);
    glm::vec2 st = glm::vec2(clip) / clip.w * 0.5f + 0.5f;
    return static_cast<int>(st.y * shadowMapSize) * shadowMapSize +
           static_cast<int>(st.x * shadowMapSize);
}

class ShadowTechniquesGLTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        if (GLTestContext::window() && !loaded) {
            ShaderManager::loadShaders();
            loaded = true;
        }
    }
    // The pipeline's standing state, which the renderer's constructor sets in the program.
    void SetUp() override {
        GLTest::SetUp();
        setStandingState();
    }
    static inline bool loaded = false;
};

} // namespace

TEST_F(ShadowTechniquesGLTest, FaceMatricesAreRotationsThatMatchTheCubeMapLookup) {
    for (int face = 0; face < 6; ++face) {
        glm::mat3 rotation(OmnidirectionalShadowMappingTechnique::faceRotation(face));
        EXPECT_NEAR(glm::determinant(rotation), 1.0f, 1e-6f) << "face " << face;
        glm::mat3 identity = glm::transpose(rotation) * rotation;
        for (int c = 0; c < 3; ++c) {
            for (int r = 0; r < 3; ++r) {
                EXPECT_NEAR(identity[c][r], c == r ? 1.0f : 0.0f, 1e-6f);
            }
        }
    }

    Light light(glm::vec3(1.0f, -2.0f, 3.0f), glm::vec3(1.0f), 0.0f, 0.3f);
    OmnidirectionalShadowMappingTechnique cube(shadowMapSize, shadowMapSize);
    cube.setLight(&light);
    EXPECT_EQ(cube.getNearFar(), glm::vec2(0.001f, 30.0f));

    // The image rendered into face i lies exactly where the lookup of that face reads it, so the
    // lighting pass finds every surface in the direction it was rendered.
    const glm::vec3 offsets[] = {{4, 1, -2}, {-4, -1, 2.5f}, {1, 5, -2},      {-2, -6, 1},
                                 {1, 0, 2},  {1, 0, -2},     {0.3f, -0.2f, 7}};
    for (glm::vec3 offset : offsets) {
        int inside = 0;
        for (int face = 0; face < 6; ++face) {
            glm::vec4 clip =
                cube.viewProjectionMatrices[face] * glm::vec4(light.position + offset, 1.0f);
            if (!insideFrustum(clip)) {
                continue;
            }
            ++inside;
            glm::vec3 lookup = cubeLookup(face, offset);
            EXPECT_NEAR(clip.x / clip.w, lookup.x / lookup.z, 1e-5f) << "face " << face;
            EXPECT_NEAR(clip.y / clip.w, lookup.y / lookup.z, 1e-5f) << "face " << face;
        }
        EXPECT_EQ(inside, 1) << "offset " << offset.x << " " << offset.y << " " << offset.z;
    }

    glm::vec4 behind =
        cube.viewProjectionMatrices[5] * glm::vec4(light.position + glm::vec3(1, 0, -2), 1);
    EXPECT_TRUE(insideFrustum(behind));
    EXPECT_LT(behind.x, 0.0f);
    glm::vec4 front =
        cube.viewProjectionMatrices[4] * glm::vec4(light.position + glm::vec3(1, 0, 2), 1);
    EXPECT_TRUE(insideFrustum(front));
    EXPECT_GT(front.x, 0.0f);

    // Computed once: a light that moves later keeps its matrices.
    glm::mat4 before = cube.viewProjectionMatrices[0];
    light.position += glm::vec3(5.0f);
    EXPECT_EQ(cube.viewProjectionMatrices[0], before);
}

TEST_F(ShadowTechniquesGLTest, CubeMapHoldsFaceDepthWhereTheGeometryReachesAndSkipsFarCasters) {
    TestScene test = buildTestScene();
    Light light(glm::vec3(0.0f, 3.0f, 0.0f), glm::vec3(1.0f), 0.0f, 0.3f);
    OmnidirectionalShadowMappingTechnique cube(64, 64);
    cube.setLight(&light);
    // Only the floor, 3 below the light and wide enough to cross the four side faces.
    delete test.scene->opaqueObjects[1];
    test.scene->opaqueObjects.resize(1);
    Mesh* wideFloor = makeMesh(
        quadTriangles({-60, 0, -60}, {-60, 0, 60}, {60, 0, 60}, {60, 0, -60}), glm::vec4(1.0f));
    test.scene->opaqueObjects[0]->meshes[0] = wideFloor;
    cube.render(test.scene);

    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);

    std::vector<float> down = readFace(cube.cubeMap, 3, 64);
    // The window depth of the face projection, and as distance along the face axis.
    glm::vec2 nearFar = cube.getNearFar();
    EXPECT_NEAR(down[32 * 64 + 32], cubeFaceDepth(3.0f, nearFar), 1e-6f);
    EXPECT_NEAR(nearFar.x * nearFar.y / (nearFar.y - down[32 * 64 + 32] * (nearFar.y - nearFar.x)),
                3.0f, 0.01f);
    std::vector<float> up = readFace(cube.cubeMap, 2, 64);
    EXPECT_EQ(up[32 * 64 + 32], 1.0f);
    for (int face : {0, 1, 4, 5}) {
        std::vector<float> side = readFace(cube.cubeMap, face, 64);
        // t runs against world y on the side faces: high rows look down onto the floor.
        EXPECT_LT(side[63 * 64 + 32], cubeFaceDepth(4.0f, nearFar)) << "face " << face;
        EXPECT_EQ(side[0 * 64 + 32], 1.0f) << "face " << face;
    }

    // A floor beyond the far plane is not written.
    test.scene->opaqueObjects[0]->modelMatrix =
        glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, -40.0f, 0.0f));
    cube.render(test.scene);
    EXPECT_EQ(readFace(cube.cubeMap, 3, 64)[32 * 64 + 32], 1.0f);

    // A small tile within the far plane but wholly beyond the light's reach is skipped; moved
    // within reach, it is drawn.
    const float reach = cube.casterReach();
    ASSERT_LT(reach + 4.0f, cube.farPlane);
    Mesh* tile =
        makeMesh(quadTriangles({-2, 0, -2}, {-2, 0, 2}, {2, 0, 2}, {2, 0, -2}), glm::vec4(1.0f));
    test.scene->opaqueObjects[0]->meshes[0] = tile;
    test.scene->opaqueObjects[0]->modelMatrix = glm::mat4(1.0f);
    for (float below : {reach + 4.0f, reach - 1.0f}) {
        light.position = glm::vec3(0.0f, below, 0.0f);
        cube.setLight(&light);
        cube.render(test.scene);
        EXPECT_EQ(readFace(cube.cubeMap, 3, 64)[32 * 64 + 32] < 1.0f, below < reach) << below;
    }
    delete tile;
    delete wideFloor;
    releaseTestScene(test);
}

TEST_F(ShadowTechniquesGLTest, ColoredMapCarriesDepthAndTheTintOfPanesInFrontOnly) {
    TestScene test = buildTestScene();
    ShadowMappingTechnique shadow(shadowMapSize, shadowMapSize);
    std::vector<SceneObject*> panes = test.scene->transparentObjects;

    test.scene->transparentObjects.clear();
    shadow.render(test.scene);
    ShadowLight* light = test.scene->shadowLights.front();
    EXPECT_EQ(shadow.getLightViewProjection(),
              light->getProjectionMatrix() * light->getViewMatrix());
    std::vector<float> depth = readDepthMap(shadow.depthTexture, shadowMapSize);
    std::vector<glm::vec4> plain = readColorMap(shadow.getColorTexture(), shadowMapSize);
    for (size_t i = 0; i < plain.size(); i += 97) {
        ASSERT_EQ(plain[i], glm::vec4(1.0f, 1.0f, 1.0f, plain[i].a)) << "texel " << i;
        ASSERT_NEAR(plain[i].a, depth[i] * light->farPlane, 1e-3f * plain[i].a + 1e-3f);
    }
    // Linear depth: a floor point's texel holds its distance along the light's view axis.
    glm::vec4 clip = shadow.getLightViewProjection() * glm::vec4(tintedPoint, 1.0f);
    EXPECT_NEAR(plain[mapTexel(shadow.getLightViewProjection(), tintedPoint)].a, clip.w, 0.05f);

    // A second pane under the floor is behind the nearest opaque surface: it must tint nothing.
    Mesh* hidden = makeMesh(quadTriangles({-5, -1, 5}, {-5, -1, -5}, {5, -1, -5}, {5, -1, 5}),
                            glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
    SceneObject below;
    below.meshes.push_back(hidden);
    test.scene->transparentObjects = panes;
    test.scene->transparentObjects.push_back(&below);
    shadow.render(test.scene);
    std::vector<glm::vec4> tinted = readColorMap(shadow.getColorTexture(), shadowMapSize);
    glm::mat4 lightMatrix = shadow.getLightViewProjection();

    // The depth survives the blending of the panes everywhere.
    for (size_t i = 0; i < tinted.size(); i += 97) {
        ASSERT_NEAR(tinted[i].a, plain[i].a, 2e-3f * plain[i].a + 1e-7f) << "texel " << i;
    }
    // The pane's sRGB colour (1, 0.1, 0.1) decoded, at opacity 0.7.
    glm::vec3 transmission =
        glm::mix(glm::vec3(1.0f), glm::vec3(1.0f, 0.0100228f, 0.0100228f), 0.7f);
    glm::vec4 behindPane = tinted[mapTexel(lightMatrix, tintedPoint)];
    EXPECT_NEAR(behindPane.r, transmission.r, 0.01f);
    EXPECT_NEAR(behindPane.g, transmission.g, 0.01f);
    EXPECT_NEAR(behindPane.b, transmission.b, 0.01f);
    // Past the pane, and under the floor where only the hidden pane lies: untinted.
    EXPECT_EQ(glm::vec3(tinted[mapTexel(lightMatrix, untintedPoint)]), glm::vec3(1.0f));
    EXPECT_EQ(glm::vec3(tinted[mapTexel(lightMatrix, glm::vec3(-4.0f, 0.0f, -4.0f))]),
              glm::vec3(1.0f));

    // The technique leaves the pipeline's standing state, the viewport at the map's size.
    EXPECT_TRUE(standingStateRestored(shadowMapSize, shadowMapSize));
    test.scene->transparentObjects.pop_back(); // `below` lives on this stack
    delete hidden;
    releaseTestScene(test);
}

// From cameras all around a light, every point in view within the light's reach lies on a face
// the mask holds (the face GL's lookup picks for it); views that see only part of the light's
// reach leave faces out.
TEST_F(ShadowTechniquesGLTest, FacesTouchingTheViewHoldEveryFaceAPointInViewReads) {
    OmnidirectionalShadowMappingTechnique cube(16, 16);
    Light light(glm::vec3(1.0f, -2.0f, 3.0f), glm::vec3(1.0f, 1.0f, 0.75f), 0.0f, 0.3f);
    cube.setLight(&light);
    float reach = light.radius();
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    auto inBall = [&] {
        glm::vec3 v;
        do {
            v = glm::vec3(unit(random), unit(random), unit(random));
        } while (glm::dot(v, v) > 1.0f);
        return v;
    };
    int partialViews = 0;
    for (int view = 0; view < 40; ++view) {
        glm::vec3 eye = light.position + inBall() * 2.0f * reach;
        glm::mat4 viewProjection =
            glm::perspective(glm::radians(60.0f), 4.0f / 3.0f, 0.1f, 100.0f) *
            glm::lookAt(eye, eye + inBall(), glm::vec3(0.0f, 1.0f, 0.0f));
        int faces = cube.facesTouching(Frustum(viewProjection), 0.0f);
        partialViews += faces != OmnidirectionalShadowMappingTechnique::allFaces ? 1 : 0;
        for (int sample = 0; sample < 2000; ++sample) {
            glm::vec3 r = inBall() * reach;
            if (!insideFrustum(viewProjection * glm::vec4(light.position + r, 1.0f))) {
                continue;
            }
            glm::vec3 a = glm::abs(r);
            int face = a.x >= a.y && a.x >= a.z ? (r.x > 0 ? 0 : 1)
                       : a.y >= a.z             ? (r.y > 0 ? 2 : 3)
                                                : (r.z > 0 ? 4 : 5);
            ASSERT_TRUE(faces & (1 << face)) << "view " << view << " misses face " << face;
        }
    }
    EXPECT_GT(partialViews, 10);
}
