// The renderer tests' scene of known geometry and their frame helpers.
#include "RenderTestScene.h"

#include "StartSwitches.h"
#include "gpu/Framebuffer.h"
#include "gpu/Mesh.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "gpu/Tunables.h"
#include "render/Billboard.h"
#include "render/Renderer.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace rendertest {

namespace {

GLuint upload(GLuint attribute, const std::vector<glm::vec3>& data) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(glm::vec3)),
                 data.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(attribute);
    glVertexAttribPointer(attribute, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    return buffer;
}

SceneObject* objectOf(Mesh* mesh) {
    auto* object = new SceneObject();
    object->meshes.push_back(mesh);
    return object;
}

} // namespace

Mesh* makeMesh(const std::vector<glm::vec3>& triangles, glm::vec4 color) {
    std::vector<glm::vec3> normals;
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        glm::vec3 n = glm::normalize(
            glm::cross(triangles[i + 1] - triangles[i], triangles[i + 2] - triangles[i]));
        normals.insert(normals.end(), 3, n);
    }
    std::vector<GLuint> indices(triangles.size());
    for (size_t i = 0; i < indices.size(); ++i) {
        indices[i] = static_cast<GLuint>(i);
    }
    auto* mesh = new Mesh();
    glGenVertexArrays(1, &mesh->vao);
    glBindVertexArray(mesh->vao);
    glGenBuffers(1, &mesh->indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 4),
                 indices.data(), GL_STATIC_DRAW);
    mesh->positionBuffer = upload(0, triangles);
    mesh->normalBuffer = upload(1, normals);
    glBindVertexArray(0);
    mesh->numFaces = static_cast<std::uint32_t>(triangles.size() / 3);
    mesh->numVertices = static_cast<std::uint32_t>(triangles.size());
    mesh->color = color;
    mesh->computeBounds(triangles.data(), triangles.size());
    return mesh;
}

std::vector<glm::vec3> quadTriangles(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d) {
    return {a, b, c, a, c, d};
}

std::vector<glm::vec3> boxTriangles(glm::vec3 lo, glm::vec3 hi) {
    std::vector<glm::vec3> t;
    auto add = [&t](std::vector<glm::vec3> q) { t.insert(t.end(), q.begin(), q.end()); };
    add(quadTriangles({hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z},
                      {hi.x, lo.y, hi.z})); // +x
    add(quadTriangles({lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z},
                      {lo.x, hi.y, lo.z})); // -x
    add(quadTriangles({lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z},
                      {hi.x, hi.y, lo.z})); // +y
    add(quadTriangles({lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z},
                      {lo.x, lo.y, hi.z})); // -y
    add(quadTriangles({lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z},
                      {lo.x, hi.y, hi.z})); // +z
    add(quadTriangles({lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z},
                      {hi.x, lo.y, lo.z})); // -z
    return t;
}

template <typename Record> void deleteAll(std::vector<Record*>& records) {
    for (Record* record : records) {
        delete record;
    }
    records.clear();
}

// The scene's own objects and lights, which the test content replaces; its billboards and its
// shadow light stay.
void releaseContent(Scene& scene) {
    deleteAll(scene.opaqueObjects);
    deleteAll(scene.transparentObjects);
    deleteAll(scene.lights);
}

TestScene buildTestScene() {
    TestScene test;
    test.scene = new Scene();
    Scene* scene = test.scene;
    test.floor = makeMesh(quadTriangles({-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}, {5, 0, -5}),
                          glm::vec4(0.7f, 0.7f, 0.7f, 1.0f));
    test.column = makeMesh(boxTriangles({1.0f, 0.0f, -0.3f}, {1.6f, 2.5f, 0.3f}),
                           glm::vec4(0.7f, 0.7f, 0.7f, 1.0f));
    test.pane = makeMesh(quadTriangles({-6, 3, 1}, {-6, 3, -1}, {-6, 4, -1}, {-6, 4, 1}),
                         glm::vec4(1.0f, 0.1f, 0.1f, 0.7f));
    releaseContent(*scene);
    scene->opaqueObjects = {objectOf(test.floor), objectOf(test.column)};
    scene->transparentObjects = {objectOf(test.pane)};
    scene->lights = {
        new Light(glm::vec3(0.0f, 3.0f, 0.0f), glm::vec3(1.0f, 1.0f, 0.75f), 0.0f, 0.3f)};
    Billboard* flame = scene->billboards.front();
    scene->billboards.erase(scene->billboards.begin());
    deleteAll(scene->billboards);
    scene->billboards = {flame};
    flame->modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.5f, 1.0f, 2.0f));
    return test;
}

void lookAt(glm::vec3 position, glm::vec3 target) {
    // forward = (sin yaw cos pitch, -sin pitch, -cos yaw cos pitch) for the camera's angles
    glm::vec3 d = glm::normalize(target - position);
    float pitch = glm::degrees(std::asin(-d.y));
    float yaw = glm::degrees(std::atan2(d.x, -d.z));
    mainCamera->setPosition(position);
    mainCamera->setRotation(glm::vec3(pitch, yaw, 0.0f));
}

void renderFrame(Renderer& renderer, Scene* scene) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.setDeltaTime(0.016f);
    renderer.render(scene);
}

std::vector<unsigned char> readPixels(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

glm::ivec2 project(glm::vec3 world, int width, int height) {
    glm::vec4 clip =
        mainCamera->getProjectionMatrix() * mainCamera->getViewMatrix() * glm::vec4(world, 1.0f);
    glm::vec2 ndc = glm::vec2(clip) / clip.w;
    return glm::ivec2(static_cast<int>((ndc.x * 0.5f + 0.5f) * width),
                      static_cast<int>((ndc.y * 0.5f + 0.5f) * height));
}

glm::vec3 colorAt(const std::vector<unsigned char>& pixels, int width, glm::ivec2 pixel) {
    int height = static_cast<int>(pixels.size() / 3) / width;
    glm::vec3 sum(0.0f);
    int count = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int x = std::clamp(pixel.x + dx, 0, width - 1);
            int y = std::clamp(pixel.y + dy, 0, height - 1);
            const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            sum += glm::vec3(p[0], p[1], p[2]);
            ++count;
        }
    }
    return sum / static_cast<float>(count);
}

float meanBrightness(const std::vector<unsigned char>& pixels) {
    double sum = 0.0;
    for (unsigned char value : pixels) {
        sum += value;
    }
    return static_cast<float>(sum / static_cast<double>(pixels.size()));
}

float srgbToLinear(float c) {
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

float linearToSrgb(float c) {
    return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
}

float toneMap(float radiance) {
    float x = radiance * tunableValue(*findTunable("exposure"));
    return std::clamp((x * (2.51f * x + 0.03f)) / (x * (2.43f * x + 0.59f) + 0.14f), 0.0f, 1.0f);
}

float inverseToneMap(float y) {
    float a = 2.51f - 2.43f * y;
    float b = 0.03f - 0.59f * y;
    return (-b + std::sqrt(b * b + 4.0f * a * 0.14f * y)) / (2.0f * a) /
           tunableValue(*findTunable("exposure"));
}

void releaseTestScene(TestScene& test) {
    delete test.scene;
    delete test.floor;
    delete test.column;
    delete test.pane;
    test = TestScene();
}

void TestSceneGLTest::SetUpTestSuite() {
    if (!GLTestContext::window()) {
        return;
    }
    ShaderManager::loadShaders();
    test = buildTestScene();
}

void TestSceneGLTest::TearDownTestSuite() {
    releaseTestScene(test);
    ShaderManager::deleteShaders();
}

void TestSceneGLTest::TearDown() {
    restoreStartSwitches();
}

} // namespace rendertest

namespace rendertest {

namespace {

GLuint compileStage(GLenum type, const std::string& text) {
    GLuint stage = glCreateShader(type);
    std::string compiled = Shader::withConstants(text);
    const char* source = compiled.c_str();
    glShaderSource(stage, 1, &source, nullptr);
    glCompileShader(stage);
    GLint ok = GL_FALSE;
    glGetShaderiv(stage, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[4096] = {};
        glGetShaderInfoLog(stage, sizeof(log), nullptr, log);
        ADD_FAILURE() << "probe shader does not compile: " << log;
    }
    return stage;
}

} // namespace

std::vector<glm::vec4> evaluateGlsl(const std::string& source, int width, int height,
                                    GLint format) {
    std::ifstream in("Shader/postprocess.vert");
    std::string vertex((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    GLuint program = glCreateProgram();
    GLuint stages[2] = {
        compileStage(GL_VERTEX_SHADER, vertex),
        compileStage(GL_FRAGMENT_SHADER,
                     "#version 330 core\nlayout(location = 0) out vec4 result;\n" + source)};
    for (GLuint stage : stages) {
        glAttachShader(program, stage);
    }
    glLinkProgram(program);
    // Making the target binds its texture on the active unit: the caller's goes back on unit 0.
    glActiveTexture(GL_TEXTURE0);
    GLint input = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &input);
    Framebuffer target(width, height);
    target.addTexture(GL_COLOR_ATTACHMENT0, format, GL_RGBA, GL_FLOAT, glm::vec4(0.0f), true);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(input));
    target.bind();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glUseProgram(program);
    ScreenQuad::getInstance()->draw();
    std::vector<glm::vec4> values(static_cast<size_t>(width) * height);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, values.data());
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    target.release();
    for (GLuint stage : stages) {
        glDeleteShader(stage);
    }
    glDeleteProgram(program);
    return values;
}

} // namespace rendertest
