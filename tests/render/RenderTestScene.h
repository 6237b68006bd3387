// A small scene with known geometry for the renderer's GL tests: a floor, a column shadowing part
// of it from a point light, and a red pane between the shadow light and the floor. Also frame
// helpers: camera placement, one frame into the window, pixel read-back and projection.
#pragma once

#include "GLTestContext.h"
#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <string>
#include <vector>

class Light;
class Mesh;
class Renderer;
class Scene;

namespace rendertest {

// Floor y = 0 over x, z in [-5, 5]; column x in [1, 1.6], z in [-0.3, 0.3], y in [0, 2.5];
// point light at (0, 3, 0); pane at x = -6, y in [3, 4], z in [-1, 1], colour (1, 0.1, 0.1) with
// opacity 0.7, facing +x (so the colored pass, which culls front faces, draws it).
struct TestScene {
    Scene* scene = nullptr;
    Mesh* floor = nullptr;
    Mesh* column = nullptr;
    Mesh* pane = nullptr;
};

// In the column's shadow from the point light, and hidden from the shadow light by the column.
const glm::vec3 shadowedPoint(3.0f, 0.0f, 0.0f);
// Lit by the point light and seen by the shadow light through the pane.
const glm::vec3 tintedPoint(3.0f, 0.0f, 1.5f);
// Lit by the point light, seen by the shadow light past the pane.
const glm::vec3 untintedPoint(-3.0f, 0.0f, 3.0f);

// Builds the scene on top of a freshly constructed Scene (its own content is replaced): the
// scene's shadow light stays, one billboard is moved into view at (0.5, 1, 2).
TestScene buildTestScene();
// Deletes the scene with its records and the three meshes made for it.
void releaseTestScene(TestScene& test);

// A suite of tests on the test scene: the shader programs and the scene are built once for the
// suite (when the test window exists) and released after it; each test ends with the switches
// as the program starts.
class TestSceneGLTest : public GLTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void TearDown() override;

    static inline TestScene test;
};

// Flat-coloured triangles with per-triangle normals (counter-clockwise = front).
Mesh* makeMesh(const std::vector<glm::vec3>& triangles, glm::vec4 color);
// Axis-aligned box, outward faces.
std::vector<glm::vec3> boxTriangles(glm::vec3 low, glm::vec3 high);
// Two triangles of the quad a, b, c, d (counter-clockwise seen from the front).
std::vector<glm::vec3> quadTriangles(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d);

// Points mainCamera from position at target (no roll).
void lookAt(glm::vec3 position, glm::vec3 target);
// Clears the window as the main loop does, then renders one frame.
void renderFrame(Renderer& renderer, Scene* scene);
// RGB bytes of the window's lower-left width x height pixels, bottom row first.
std::vector<unsigned char> readPixels(int width, int height);
// Window pixel of a world point under mainCamera for a target of the given size.
glm::ivec2 project(glm::vec3 world, int width, int height);
// Mean of r, g, b at a pixel's 3 x 3 neighbourhood, 0..255 each.
glm::vec3 colorAt(const std::vector<unsigned char>& pixels, int width, glm::ivec2 pixel);
float meanBrightness(const std::vector<unsigned char>& pixels);

// The frame's colour transforms written out independently of the shaders: the exact sRGB decode
// and encode, and the ACES fit (Narkowicz) on exposed radiance with its inverse.
float srgbToLinear(float c);
float linearToSrgb(float c);
float toneMap(float radiance);
float inverseToneMap(float y);

} // namespace rendertest

namespace rendertest {

// Runs a fragment shader body over a width x height float target and reads the result back,
// row by row from the bottom: `source` is GLSL after the #version line, with the shared constants
// and functions in scope (as every stage of the program sees them), writing `out vec4 result`
// into a target of `format`. Samplers read unit 0, which the caller binds; the target is deleted
// afterwards.
std::vector<glm::vec4> evaluateGlsl(const std::string& source, int width, int height = 1,
                                    GLint format = GL_RGBA32F);

} // namespace rendertest
