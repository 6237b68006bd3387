// Mesh: one drawable piece of an imported model (a vertex array with separate position, normal
// and texture-coordinate buffers at attribute locations 0, 1, 2, an index buffer and a simple
// material). A process-wide registry owns every mesh and doubles as the cache per model path.
#pragma once

#include "gpu/GL.h"

#include <glm/glm.hpp>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

class Shader;
class Texture;

class Mesh {
public:
    GLuint vao = 0;
    GLuint indexBuffer = 0;
    GLuint positionBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint uvBuffer = 0;
    // the model file this mesh came from, exactly as passed to load() (the cache key)
    std::string path;
    // triangles uploaded to indexBuffer; a draw uses numFaces * 3 indices
    std::uint32_t numFaces = 0;
    std::uint32_t numVertices = 0;
    // material colour: RGB from the diffuse colour, A from the opacity
    glm::vec4 color = glm::vec4(0.0f);
    // shared through the texture cache, not owned
    Texture* colorTexture = nullptr;
    Texture* bumpMapTexture = nullptr;
    // Object-space sphere around every vertex, set at load: lets passes skip a mesh that cannot
    // touch a region. Infinite until computed, so a mesh of unknown extent is never skipped.
    glm::vec3 boundsCentre = glm::vec3(0.0f);
    float boundsRadius = std::numeric_limits<float>::infinity();

    // One mesh per mesh of the file, in file order; the cached list when the path was loaded
    // before; empty when the import failed (retried on the next request) or the file holds no
    // mesh (remembered: a later request returns the empty list without importing). The registry
    // keeps ownership.
    static std::vector<Mesh*> load(std::string path);
    // Deletes every registered mesh, empties the registry and forgets the files without meshes.
    static void deleteAll();

    // Sets the material uniforms on the shader's program (which must be in use), binds the
    // textures (colour on unit 0, bump map on unit 1) and draws. Leaves vertex array 0 bound.
    void draw(Shader* shader);
    // Draws the triangles only: no uniform, no texture. Leaves vertex array 0 bound.
    void drawGeometry(Shader* shader);

    // True when, placed by `model`, the whole bounding sphere lies farther than `reach` from
    // `point` (world space), so nothing of the mesh can be within that distance.
    bool liesBeyond(const glm::mat4& model, glm::vec3 point, float reach) const;
    // Sets boundsCentre and boundsRadius around the given positions (the box centre, the
    // farthest vertex's distance).
    void computeBounds(const glm::vec3* positions, std::size_t count);

    // An empty mesh with no GL object; load() fills it.
    Mesh() = default;
    // Deletes the buffers and the vertex array, not the textures.
    ~Mesh();

    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

private:
    void drawElements();
};
