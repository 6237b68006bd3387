// Mesh import and drawing against what the GPU holds: the buffers and attribute arrays of each
// imported mesh, the material read from the MTL file, the registry acting as a cache, the five
// material uniforms after a draw, and the pixels a draw produces.
#include "gpu/Mesh.h"

#include "gpu/Shader.h"
#include "gpu/Texture.h"

#include "GLTestContext.h"
#include "GpuTestSupport.h"

#include <FreeImage.h>
#include <glm/gtc/type_ptr.hpp>

#include <unistd.h>

#include <cmath>
#include <vector>

namespace {

// Three objects over one quad of NDC corners: a textured quad (uv, normals, two triangles after
// triangulation), a flat red translucent triangle without uv, and a bare triangle without uv or
// normals whose object also holds a line element, which is not a drawable triangle, and an
// object of lines only.
const char* modelObj = R"(mtllib model.mtl
v -1 -1 0
v 1 -1 0
v 1 1 0
v -1 1 0
vt 0 0
vt 1 0
vt 1 1
vt 0 1
vn 0 0 1
o textured
usemtl texturedMat
f 1/1/1 2/2/1 3/3/1 4/4/1
o flat
usemtl redMat
f 1//1 2//1 3//1
o bare
usemtl plainMat
f 1 2 4
l 1 3
o lines
usemtl plainMat
l 1 2
l 2 3
)";

const char* modelMtl = R"(newmtl texturedMat
Kd 0.5 0.5 0.5
map_Kd tex.png
map_bump bump.png
newmtl redMat
Kd 1 0 0
d 0.3
newmtl plainMat
Kd 0 1 0
bump missing_bump.png
)";

const char* materialVertexSource = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 uv;
out vec2 texCoord;
void main() {
    texCoord = uv;
    gl_Position = vec4(position, 1.0);
}
)";

// Uses every material uniform, so none is optimised away.
const char* materialFragmentSource = R"(#version 330 core
in vec2 texCoord;
uniform vec4 color;
uniform int hasColorTexture;
uniform sampler2D color_texture;
uniform int hasBumpMapTexture;
uniform sampler2D bumpmap_texture;
out vec4 fragColor;
void main() {
    vec4 c = hasColorTexture == 1 ? texture(color_texture, texCoord) : color;
    if (hasBumpMapTexture == 1) {
        c.a *= step(-1.0, texture(bumpmap_texture, texCoord).r);
    }
    fragColor = c;
}
)";

// A 4 x 64 image whose lower half (FreeImage rows 0..31, the picture's bottom) is red and whose
// upper half is blue.
void writeHalfAndHalfImage(const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(4, 64, 24);
    for (unsigned y = 0; y < 64; ++y) {
        for (unsigned x = 0; x < 4; ++x) {
            RGBQUAD c = {};
            (y < 32 ? c.rgbRed : c.rgbBlue) = 255;
            FreeImage_SetPixelColor(bitmap, x, y, &c);
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
}

class MeshGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        scratch.write("model.obj", modelObj);
        scratch.write("model.mtl", modelMtl);
        writeHalfAndHalfImage(scratch.file("tex.png"));
        writeHalfAndHalfImage(scratch.file("bump.png"));
    }
    void TearDown() override {
        Mesh::deleteAll();
        Texture::deleteAll();
    }

    std::vector<Mesh*> loadModel(std::string* output = nullptr) {
        std::vector<Mesh*> meshes;
        std::string printed =
            captureOutput([&] { meshes = Mesh::load(scratch.file("model.obj")); });
        if (output != nullptr) {
            *output = printed;
        }
        return meshes;
    }

    ScratchDirectory scratch;
};

// The material program built with raw GL into a Shader, which owns and deletes it.
struct MaterialProgram {
    MaterialProgram() {
        shader.vertexShader = compileStage(GL_VERTEX_SHADER, materialVertexSource);
        shader.fragmentShader = compileStage(GL_FRAGMENT_SHADER, materialFragmentSource);
        linkProgram(shader.program, shader.vertexShader, shader.fragmentShader);
    }
    GLint location(const char* name) const { return glGetUniformLocation(shader.program, name); }
    GLint intUniform(const char* name) const {
        GLint value = -1;
        glGetUniformiv(shader.program, location(name), &value);
        return value;
    }
    glm::vec4 colorUniform() const {
        glm::vec4 value(-1.0f);
        glGetUniformfv(shader.program, location("color"), glm::value_ptr(value));
        return value;
    }
    Shader shader;
};

std::vector<GLfloat> bufferFloats(GLuint buffer, size_t count) {
    std::vector<GLfloat> data(count, -99.0f);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(GLfloat)),
                       data.data());
    return data;
}

// Size of the element buffer recorded in the mesh's vertex array, and its indices.
std::vector<GLuint> uploadedIndices(const Mesh* mesh) {
    glBindVertexArray(mesh->vao);
    GLint bytes = -1;
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    std::vector<GLuint> indices(static_cast<size_t>(bytes) / sizeof(GLuint));
    if (!indices.empty()) {
        glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, bytes, indices.data());
    }
    glBindVertexArray(0);
    return indices;
}

GLint attribute(const Mesh* mesh, GLuint location, GLenum name) {
    GLint value = -1;
    glBindVertexArray(mesh->vao);
    glGetVertexAttribiv(location, name, &value);
    glBindVertexArray(0);
    return value;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(MeshGLTest, ImportMakesOneMeshPerFileMeshWithTightBuffersAndMaterial) {
    std::string output;
    std::vector<Mesh*> meshes = loadModel(&output);
    ASSERT_EQ(meshes.size(), 4u) << output;
    std::string path = scratch.file("model.obj");
    EXPECT_EQ(output.rfind("Importing file from: " + path + "\nMeshes: 4\nMaterials: ", 0), 0u)
        << output;
    EXPECT_TRUE(contains(output, "\nTextures: 0\nName: textured\nFaces: 2\nVertices: 4\n"))
        << output;
    EXPECT_TRUE(contains(output, "Loading Textures for Mesh: GetTextureCount: 1\n")) << output;
    EXPECT_TRUE(
        contains(output, scratch.file("missing_bump.png") + " not found or unable to read!\n"))
        << output;
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_BINDING), 0);

    for (const Mesh* mesh : meshes) {
        EXPECT_EQ(mesh->path, path);
        std::vector<GLuint> indices = uploadedIndices(mesh);
        EXPECT_EQ(indices.size(), size_t(mesh->numFaces) * 3) << "drawn count != uploaded count";
        for (GLuint index : indices) {
            EXPECT_LT(index, mesh->numVertices);
        }
        EXPECT_EQ(attribute(mesh, 0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING),
                  GLint(mesh->positionBuffer));
        EXPECT_EQ(attribute(mesh, 1, GL_VERTEX_ATTRIB_ARRAY_ENABLED), mesh->normalBuffer != 0);
    }

    const Mesh* textured = meshes[0];
    EXPECT_EQ(textured->numFaces, 2u);
    EXPECT_EQ(textured->numVertices, 4u);
    EXPECT_EQ(textured->color, glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
    ASSERT_NE(textured->colorTexture, nullptr);
    ASSERT_NE(textured->bumpMapTexture, nullptr);
    EXPECT_EQ(textured->colorTexture->path, scratch.file("tex.png"));
    EXPECT_EQ(textured->bumpMapTexture->path, scratch.file("bump.png"));
    std::vector<GLfloat> uvs = bufferFloats(textured->uvBuffer, 8);
    std::vector<GLfloat> positions = bufferFloats(textured->positionBuffer, 12);
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(uvs[v * 2], (positions[v * 3] + 1.0f) / 2.0f) << "u of vertex " << v;
        EXPECT_EQ(uvs[v * 2 + 1], (positions[v * 3 + 1] + 1.0f) / 2.0f) << "v of vertex " << v;
    }

    const Mesh* flat = meshes[1];
    EXPECT_EQ(flat->color, glm::vec4(1.0f, 0.0f, 0.0f, 0.3f));
    EXPECT_EQ(flat->colorTexture, nullptr);
    EXPECT_EQ(flat->uvBuffer, 0u);
    EXPECT_EQ(attribute(flat, 2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0);

    const Mesh* bare = meshes[2];
    EXPECT_EQ(bare->numFaces, 1u) << "the line element is not a triangle";
    EXPECT_EQ(bare->bumpMapTexture, nullptr) << "its bump image does not exist";
    ASSERT_NE(bare->normalBuffer, 0u) << "normals are generated on import";
    // Vertices used only by the line carry no surface normal; the triangle's vertices must.
    std::vector<GLfloat> normals = bufferFloats(bare->normalBuffer, size_t(bare->numVertices) * 3);
    for (GLuint index : uploadedIndices(bare)) {
        glm::vec3 normal(normals[index * 3], normals[index * 3 + 1], normals[index * 3 + 2]);
        EXPECT_NEAR(glm::length(normal), 1.0f, 1e-5f) << "vertex " << index;
    }

    const Mesh* lines = meshes[3];
    EXPECT_EQ(lines->numFaces, 0u);
    EXPECT_TRUE(contains(output, "Name: lines\nFaces: 0\n")) << output;
    output = captureOutput([&] { meshes[3]->drawGeometry(nullptr); });
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
}

TEST_F(MeshGLTest, RegistryReturnsTheSameMeshesForTheSamePathString) {
    std::vector<Mesh*> first = loadModel();
    ASSERT_FALSE(first.empty());
    std::string output;
    std::vector<Mesh*> again = loadModel(&output);
    EXPECT_EQ(again, first);
    EXPECT_EQ(output,
              "Mesh " + scratch.file("model.obj") + " already loaded! Returning cached instance\n");

    std::string otherSpelling = scratch.path + "//model.obj";
    std::vector<Mesh*> other;
    output = captureOutput([&] { other = Mesh::load(otherSpelling); });
    EXPECT_TRUE(contains(output, "Importing file from: " + otherSpelling + "\n")) << output;
    ASSERT_EQ(other.size(), first.size());
    EXPECT_NE(other[0], first[0]);
    EXPECT_NE(other[0]->vao, first[0]->vao);
}

TEST_F(MeshGLTest, MissingFileGivesNoMeshesAndIsNotRemembered) {
    std::string path = scratch.file("absent.obj");
    std::string expected = "Importing file from: " + path + "\nCould not import file from " + path +
                           "! Does it exist?\n";
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<Mesh*> meshes;
        std::string output = captureOutput([&] { meshes = Mesh::load(path); });
        EXPECT_TRUE(meshes.empty());
        EXPECT_EQ(output, expected);
    }
}

// A file of random bytes imports as a scene without meshes. It is reported once and then cached
// like a loaded file, so the objects that share one damaged file do not import it each time.
TEST_F(MeshGLTest, FileWithoutMeshesIsReportedAndImportedOnce) {
    std::string bytes;
    for (unsigned state = 7; bytes.size() < 512;) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 24));
    }
    scratch.write("random.obj", bytes);
    std::string path = scratch.file("random.obj");
    std::vector<Mesh*> meshes(1, nullptr);
    std::string output = captureOutput([&] { meshes = Mesh::load(path); });
    EXPECT_TRUE(meshes.empty());
    EXPECT_TRUE(contains(output, "Importing file from: " + path + "\n")) << output;
    EXPECT_TRUE(contains(output, "\n" + path + " holds no meshes\n")) << output;

    meshes.assign(1, nullptr);
    output = captureOutput([&] { meshes = Mesh::load(path); });
    EXPECT_TRUE(meshes.empty());
    EXPECT_EQ(output, "Mesh " + path + " already loaded! Returning cached instance\n");
    Mesh::deleteAll();
    output = captureOutput([&] { Mesh::load(path); });
    EXPECT_TRUE(contains(output, "Importing file from: ")) << "deleteAll forgets it too";
}

TEST_F(MeshGLTest, PathWithoutSeparatorResolvesTexturesInTheWorkingDirectory) {
    char previous[4096] = {};
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    std::vector<Mesh*> meshes;
    captureOutput([&] { meshes = Mesh::load("model.obj"); });
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_FALSE(meshes.empty());
    ASSERT_NE(meshes[0]->colorTexture, nullptr);
    EXPECT_EQ(meshes[0]->colorTexture->path, "tex.png");
    EXPECT_EQ(meshes[0]->bumpMapTexture->path, "bump.png");
}

TEST_F(MeshGLTest, MaterialDrawSetsTheFiveUniformsAndBindsTheTextures) {
    std::vector<Mesh*> meshes = loadModel();
    ASSERT_EQ(meshes.size(), 4u);
    MaterialProgram program;
    program.shader.use();
    const glm::vec4 untouched(0.125f, 0.25f, 0.375f, 0.5f);
    glUniform4fv(program.location("color"), 1, glm::value_ptr(untouched));

    std::string output = captureOutput([&] { meshes[0]->draw(&program.shader); });
    EXPECT_EQ(countGLErrorLines(output), 0) << output;
    EXPECT_EQ(program.colorUniform(), untouched) << "colour texture present: color is left";
    EXPECT_EQ(program.intUniform("hasColorTexture"), 1);
    EXPECT_EQ(program.intUniform("color_texture"), 0);
    EXPECT_EQ(program.intUniform("hasBumpMapTexture"), 1);
    EXPECT_EQ(program.intUniform("bumpmap_texture"), 1);
    EXPECT_EQ(getInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(meshes[0]->bumpMapTexture->id));
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(meshes[0]->colorTexture->id));
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_BINDING), 0);

    meshes[1]->draw(&program.shader);
    EXPECT_EQ(program.colorUniform(), glm::vec4(1.0f, 0.0f, 0.0f, 0.3f));
    EXPECT_EQ(program.intUniform("hasColorTexture"), 0);
    EXPECT_EQ(program.intUniform("hasBumpMapTexture"), 0);
    Shader::unuse();
}

// Renders into a 16 x 16 float target and returns its RGBA pixels, bottom row first.
template <typename Draw> std::vector<glm::vec4> renderToTarget(Draw draw) {
    FloatTarget target(16, 16);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    draw();
    return target.pixels();
}

TEST_F(MeshGLTest, DrawsShowTheUploadedGeometryAndTextureTheRightWayUp) {
    std::vector<Mesh*> meshes = loadModel();
    ASSERT_EQ(meshes.size(), 4u);
    MaterialProgram program;
    program.shader.use();
    std::vector<glm::vec4> textured = renderToTarget([&] { meshes[0]->draw(&program.shader); });
    for (int x = 0; x < 16; ++x) {
        EXPECT_NEAR(textured[x].r, 1.0f, 0.01f) << "bottom row is the image's red bottom";
        EXPECT_NEAR(textured[x].b, 0.0f, 0.01f);
        EXPECT_NEAR(textured[15 * 16 + x].r, 0.0f, 0.01f);
        EXPECT_NEAR(textured[15 * 16 + x].b, 1.0f, 0.01f) << "top row is the image's blue top";
    }

    std::vector<glm::vec4> flat = renderToTarget([&] { meshes[1]->draw(&program.shader); });
    EXPECT_EQ(flat[0 * 16 + 15], glm::vec4(1.0f, 0.0f, 0.0f, 0.3f)) << "lower right is covered";
    EXPECT_EQ(flat[15 * 16 + 0], glm::vec4(0.0f)) << "upper left is outside the triangle";

    // A geometry draw keeps whatever material the program holds.
    const glm::vec4 green(0.0f, 1.0f, 0.0f, 1.0f);
    glUniform4fv(program.location("color"), 1, glm::value_ptr(green));
    std::vector<glm::vec4> bare = renderToTarget([&] { meshes[2]->drawGeometry(&program.shader); });
    EXPECT_EQ(bare[0], green) << "lower left is covered";
    EXPECT_EQ(bare[15 * 16 + 15], glm::vec4(0.0f)) << "upper right is outside the triangle";
    EXPECT_EQ(program.colorUniform(), green);
    EXPECT_EQ(getInteger(GL_VERTEX_ARRAY_BINDING), 0);
    Shader::unuse();
}

TEST_F(MeshGLTest, DeleteAllFreesBuffersButNotTexturesAndForgetsThePaths) {
    std::vector<Mesh*> meshes = loadModel();
    ASSERT_EQ(meshes.size(), 4u);
    GLuint vao = meshes[0]->vao;
    GLuint buffers[] = {meshes[0]->indexBuffer, meshes[0]->positionBuffer, meshes[0]->normalBuffer,
                        meshes[0]->uvBuffer};
    GLuint texture = meshes[0]->colorTexture->id;
    Mesh::deleteAll();
    EXPECT_FALSE(glIsVertexArray(vao));
    for (GLuint buffer : buffers) {
        EXPECT_FALSE(glIsBuffer(buffer));
    }
    EXPECT_TRUE(glIsTexture(texture)) << "textures belong to the texture cache";
    std::string output;
    loadModel(&output);
    EXPECT_TRUE(contains(output, "Importing file from: ")) << output;
}

} // namespace

// A damaged material library whose texture and colour statements come before any "newmtl"
// made the importer write through a null material and crash. Those statements belong to no
// material and are dropped; the materials that follow still load.
TEST_F(MeshGLTest, StatementsBeforeTheFirstMaterialAreIgnoredInsteadOfCrashing) {
    scratch.write("orphan.obj", "mtllib orphan.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                "usemtl red\nf 1 2 3\n");
    scratch.write("orphan.mtl", "# made by hand\nmap_Kd tex.png\nKd 0 0 1\nbump bump.png\n"
                                "newmtl red\nKd 1 0 0\n");
    std::vector<Mesh*> meshes;
    std::string output = captureOutput([&] { meshes = Mesh::load(scratch.file("orphan.obj")); });
    ASSERT_EQ(meshes.size(), 1u) << output;
    EXPECT_EQ(meshes[0]->color, glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(meshes[0]->colorTexture, nullptr);
    EXPECT_EQ(meshes[0]->bumpMapTexture, nullptr);
}
