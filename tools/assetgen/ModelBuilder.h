// ModelBuilder: triangle soup grouped by material, written out as Wavefront OBJ + MTL text.
// Every group becomes one `o` object with one `usemtl` (or one per spatial chunk of the group),
// so the importer yields one mesh per material and chunk. Faces are counter-clockwise seen from
// the side their normal points to.
#pragma once

#include <glm/glm.hpp>

#include <map>
#include <string>
#include <vector>

struct Vertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};

struct Material {
    glm::vec3 diffuse{1.0f};
    float opacity = 1.0f;
    std::string diffuseMap; // file name beside the .mtl, empty for none
    std::string bumpMap;    // height map file name, empty for none
};

struct Group {
    std::string material;
    std::vector<Vertex> vertices;
    std::vector<unsigned> indices;
};

class ModelBuilder {
public:
    // World-space texture scale: one texture repeat per this many units.
    float uvRepeat = 2.0f;
    // Side of the square x-z cells a group is split into when written (a triangle goes to the
    // cell of its centroid), so a pass can skip the chunks out of its reach; 0 keeps each group
    // whole.
    float chunkSize = 0.0f;

    void defineMaterial(const std::string& name, const Material& material);
    Group& group(const std::string& material);

    // Triangle with explicit vertices, in the order given.
    void triangle(const std::string& material, const Vertex& a, const Vertex& b, const Vertex& c);
    // Planar quad a-b-c-d (counter-clockwise seen from the front), flat normal, texture
    // coordinates projected from world space along the face's dominant axis.
    void quad(const std::string& material, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d);
    // Quad with explicit vertices.
    void quad(const std::string& material, const Vertex& a, const Vertex& b, const Vertex& c,
              const Vertex& d);

    // Makes the surface watertight for a rasterizer: corners closer than weldTolerance become
    // one exact position (on the 1e-4 grid the files are written with), triangles collapsed by
    // that are dropped, and every triangle with a corner of any group lying inside one of its
    // edges, within junctionTolerance of it (a T-junction, where the two sides' edges are not
    // the same and pixels fall through), is split at that corner. Interpolates normals and
    // texture coordinates at the splits.
    void closeCracks();
    static constexpr float weldTolerance = 1e-3f;
    // Twice the largest offset the 1e-4 grid gives a corner that lies on an edge.
    static constexpr float junctionTolerance = 2e-4f;

    size_t triangleCount() const;
    // All triangles as world-space corner triples (for checks and previews).
    std::vector<glm::vec3> trianglePositions() const;

    // Writes <directory>/<baseName>.obj and .mtl. Returns false when a file cannot be written.
    bool write(const std::string& directory, const std::string& baseName) const;

    Vertex planarVertex(glm::vec3 p, glm::vec3 n) const;

private:
    std::map<std::string, Material> materials;
    std::vector<std::string> materialOrder;
    std::map<std::string, Group> groups;
};
