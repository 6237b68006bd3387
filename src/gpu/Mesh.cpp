// Mesh: assimp import of a model file into one Mesh per imported mesh, the registry that owns
// them and doubles as the per-path cache, and the material and geometry draws. Each attribute
// has its own tightly packed static buffer; texture coordinates are used as stored.
#include "gpu/Mesh.h"

#include "base/Console.h"
#include "gpu/HeightSlopeMap.h"
#include "gpu/ModelFileSystem.h"
#include "gpu/ObjectLabel.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <set>

namespace {

// No UV flip, no pre-transformation: every mesh keeps the coordinates it has in the file.
const unsigned int importFlags =
    aiProcess_JoinIdenticalVertices | aiProcess_Triangulate | aiProcess_GenSmoothNormals;

// Owns every mesh made by Mesh::load, in creation order. Never destroyed, so meshes still held at
// exit stay reachable instead of being lost with the list.
std::vector<Mesh*>& meshRegistry = *new std::vector<Mesh*>();

// Model files that imported as a scene without a single mesh (a damaged file often does). They are
// cached like loaded files, as an empty list, so a file shared by many objects is read once.
std::set<std::string>& emptyModelFiles = *new std::set<std::string>();

// Everything up to and including the last '/', empty without one.
std::string directoryOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::vector<Mesh*> cachedMeshes(const std::string& path) {
    std::vector<Mesh*> found;
    for (Mesh* mesh : meshRegistry) {
        if (mesh != nullptr && mesh->path == path) {
            found.push_back(mesh);
        }
    }
    return found;
}

// Three indices per triangle. Faces with fewer than three indices (points and lines, which
// triangulation keeps) and faces that name a vertex the mesh does not have are skipped, so the
// array holds only triangles that can be drawn; its size / 3 is the mesh's triangle count.
std::vector<std::uint32_t> triangleIndices(const aiMesh* imported) {
    std::vector<std::uint32_t> indices;
    indices.reserve(static_cast<std::size_t>(imported->mNumFaces) * 3);
    for (unsigned int f = 0; f < imported->mNumFaces; ++f) {
        const aiFace& face = imported->mFaces[f];
        if (face.mNumIndices < 3 || face.mIndices == nullptr) {
            continue;
        }
        if (face.mIndices[0] >= imported->mNumVertices ||
            face.mIndices[1] >= imported->mNumVertices ||
            face.mIndices[2] >= imported->mNumVertices) {
            continue;
        }
        indices.insert(indices.end(), face.mIndices, face.mIndices + 3);
    }
    return indices;
}

// Generates a buffer labelled `label`, uploads the floats with GL_STATIC_DRAW and points the
// attribute at it (tightly packed, not normalised). Expects the mesh's vertex array to be bound.
GLuint uploadAttribute(GLuint location, GLint components, const void* data, std::size_t bytes,
                       const std::string& label) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    labelObject(GL_BUFFER, buffer, label);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    return buffer;
}

// x and y of texture-coordinate channel 0; the third component is dropped.
std::vector<GLfloat> textureCoordinates(const aiMesh* imported) {
    std::vector<GLfloat> uvs;
    uvs.reserve(static_cast<std::size_t>(imported->mNumVertices) * 2);
    for (unsigned int v = 0; v < imported->mNumVertices; ++v) {
        uvs.push_back(imported->mTextureCoords[0][v].x);
        uvs.push_back(imported->mTextureCoords[0][v].y);
    }
    return uvs;
}

// Leaves the mesh's vertex array bound, with the index buffer recorded in it. The vertex array is
// labelled `label`, each buffer "<label> <content>".
void uploadGeometry(Mesh* mesh, const aiMesh* imported, const std::string& label) {
    std::vector<std::uint32_t> indices = triangleIndices(imported);
    mesh->numFaces = static_cast<std::uint32_t>(indices.size() / 3);

    glGenVertexArrays(1, &mesh->vao);
    glBindVertexArray(mesh->vao);
    labelObject(GL_VERTEX_ARRAY, mesh->vao, label);
    glGenBuffers(1, &mesh->indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer);
    labelObject(GL_BUFFER, mesh->indexBuffer, label + " indices");
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(),
                 GL_STATIC_DRAW);

    std::size_t vertexCount = imported->mNumVertices;
    if (imported->mVertices != nullptr && vertexCount > 0) {
        mesh->positionBuffer = uploadAttribute(
            0, 3, imported->mVertices, vertexCount * 3 * sizeof(GLfloat), label + " positions");
        static_assert(sizeof(aiVector3D) == sizeof(glm::vec3), "positions are three floats");
        mesh->computeBounds(reinterpret_cast<const glm::vec3*>(imported->mVertices), vertexCount);
    }
    if (imported->mNormals != nullptr && vertexCount > 0) {
        mesh->normalBuffer = uploadAttribute(1, 3, imported->mNormals,
                                             vertexCount * 3 * sizeof(GLfloat), label + " normals");
    }
    if (imported->HasTextureCoords(0)) {
        std::vector<GLfloat> uvs = textureCoordinates(imported);
        mesh->uvBuffer = uploadAttribute(2, 2, uvs.data(), uvs.size() * sizeof(GLfloat),
                                         label + " texture coordinates");
    }
}

// RGB from the diffuse colour with alpha 1, then the opacity (a single float: only the first
// component is written) as alpha. A missing property keeps what is there.
void readMaterialColor(Mesh* mesh, const aiMaterial* material) {
    aiColor4D diffuse(0.0f, 0.0f, 0.0f, 0.0f);
    if (aiGetMaterialColor(material, "$clr.diffuse", 0, 0, &diffuse) == AI_SUCCESS) {
        mesh->color = glm::vec4(diffuse.r, diffuse.g, diffuse.b, 1.0f);
    }
    aiColor4D opacity(0.0f, 0.0f, 0.0f, 0.0f);
    if (aiGetMaterialColor(material, "$mat.opacity", 0, 0, &opacity) == AI_SUCCESS) {
        mesh->color.a = opacity.r;
    }
}

// Texture 0 of the type, resolved against the model's directory; null when the material has
// none or the image cannot be loaded.
Texture* loadMaterialTexture(const aiMaterial* material, aiTextureType type,
                             const std::string& directory) {
    aiString file;
    if (aiGetMaterialTexture(material, type, 0, &file) != AI_SUCCESS) {
        return nullptr;
    }
    return Texture::load(directory + file.C_Str());
}

void readMaterial(Mesh* mesh, const aiMaterial* material, const std::string& directory) {
    printLine("Loading Textures for Mesh: GetTextureCount: " +
              std::to_string(aiGetMaterialTextureCount(material, aiTextureType_DIFFUSE)));
    readMaterialColor(mesh, material);
    mesh->colorTexture = loadMaterialTexture(material, aiTextureType_DIFFUSE, directory);
    mesh->bumpMapTexture = loadMaterialTexture(material, aiTextureType_HEIGHT, directory);
    if (mesh->bumpMapTexture != nullptr) {
        HeightSlopeMap::of(*mesh->bumpMapTexture); // derived at load, not in the first frame
    }
}

void printSceneCounts(const aiScene* scene) {
    printLine("Meshes: " + std::to_string(scene->mNumMeshes));
    printLine("Materials: " + std::to_string(scene->mNumMaterials));
    printLine("Textures: " + std::to_string(scene->mNumTextures));
}

// "Faces: " reports the triangles actually uploaded and drawn, which is the imported face count
// unless faces were skipped as not drawable. The GL objects are labelled "<path> mesh <index>".
Mesh* buildMesh(const aiScene* scene, unsigned int index, const std::string& path,
                const std::string& directory) {
    const aiMesh* imported = scene->mMeshes[index];
    Mesh* mesh = new Mesh();
    mesh->path = path;
    mesh->numVertices = imported->mNumVertices;
    uploadGeometry(mesh, imported, path + " mesh " + std::to_string(index));
    printLine("Name: " + std::string(imported->mName.C_Str()));
    printLine("Faces: " + std::to_string(mesh->numFaces));
    printLine("Vertices: " + std::to_string(mesh->numVertices));
    if (imported->mMaterialIndex < scene->mNumMaterials) {
        readMaterial(mesh, scene->mMaterials[imported->mMaterialIndex], directory);
    }
    return mesh;
}

} // namespace

void Mesh::computeBounds(const glm::vec3* positions, std::size_t count) {
    if (count == 0) {
        return;
    }
    glm::vec3 low = positions[0], high = positions[0];
    for (std::size_t i = 1; i < count; ++i) {
        low = glm::min(low, positions[i]);
        high = glm::max(high, positions[i]);
    }
    boundsCentre = 0.5f * (low + high);
    float farthest = 0.0f;
    for (std::size_t i = 0; i < count; ++i) {
        farthest = std::max(farthest, glm::distance(boundsCentre, positions[i]));
    }
    boundsRadius = farthest;
}

bool Mesh::liesBeyond(const glm::mat4& model, glm::vec3 point, float reach) const {
    glm::vec3 centre = glm::vec3(model * glm::vec4(boundsCentre, 1.0f));
    float scale = std::max({glm::length(glm::vec3(model[0])), glm::length(glm::vec3(model[1])),
                            glm::length(glm::vec3(model[2]))});
    return glm::distance(centre, point) - boundsRadius * scale > reach;
}

// Binds vertex array 0 when done.
std::vector<Mesh*> Mesh::load(std::string path) {
    std::vector<Mesh*> cached = cachedMeshes(path);
    if (!cached.empty() || emptyModelFiles.count(path) != 0) {
        printLine("Mesh " + path + " already loaded! Returning cached instance");
        return cached;
    }
    printLine("Importing file from: " + path);
    Assimp::Importer importer;
    importer.SetIOHandler(new ModelFileSystem()); // the importer owns and deletes it
    importer.ReadFile(path, importFlags);
    aiScene* scene = importer.GetOrphanedScene();
    if (scene == nullptr) {
        printLine("Could not import file from " + path + "! Does it exist?");
        return {};
    }
    printSceneCounts(scene);
    if (scene->mNumMeshes == 0) {
        printLine(path + " holds no meshes");
        emptyModelFiles.insert(path);
        delete scene;
        return {};
    }

    std::string directory = directoryOf(path);
    std::vector<Mesh*> meshes;
    for (unsigned int m = 0; m < scene->mNumMeshes; ++m) {
        Mesh* mesh = buildMesh(scene, m, path, directory);
        meshes.push_back(mesh);
        meshRegistry.push_back(mesh);
    }
    glBindVertexArray(0);
    delete scene;
    return meshes;
}

void Mesh::deleteAll() {
    for (Mesh* mesh : meshRegistry) {
        delete mesh;
    }
    meshRegistry.clear();
    emptyModelFiles.clear();
}

// Leaves "color" untouched when a colour texture is present. A bump map goes to unit 1 and its
// slopes (HeightSlopeMap) to unit 2. Afterwards unit 1 is active when the mesh has a bump map,
// else unit 0 when it has a colour texture.
void Mesh::draw(Shader* shader) {
    // First, as building the slopes on first use rebinds unit 0.
    GLuint bumpSlopes = bumpMapTexture != nullptr ? HeightSlopeMap::of(*bumpMapTexture) : 0;
    if (colorTexture == nullptr) {
        shader->setVec4("color", color);
        shader->setInt("hasColorTexture", 0);
    } else {
        shader->setInt("hasColorTexture", 1);
        colorTexture->bind(0);
        shader->setInt("color_texture", 0);
    }
    if (bumpMapTexture != nullptr) {
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_2D, bumpSlopes);
        shader->setInt("bumpSlope_texture", 2);
        bumpMapTexture->bind(1);
        shader->setInt("bumpmap_texture", 1);
        shader->setInt("hasBumpMapTexture", 1);
    } else {
        shader->setInt("hasBumpMapTexture", 0);
    }
    drawElements();
}

void Mesh::drawGeometry(Shader* /*shader*/) {
    drawElements();
}

void Mesh::drawElements() {
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(numFaces) * 3, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

Mesh::~Mesh() {
    glDeleteBuffers(1, &indexBuffer);
    glDeleteBuffers(1, &positionBuffer);
    glDeleteBuffers(1, &normalBuffer);
    glDeleteBuffers(1, &uvBuffer);
    glDeleteVertexArrays(1, &vao);
}
