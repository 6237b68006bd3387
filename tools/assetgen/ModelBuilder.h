// ModelBuilder: triangle soup grouped by material, written out as Wavefront OBJ + MTL text.
// Every group becomes one `o` object with one `usemtl`, so the importer yields one mesh per
// material. Faces are counter-clockwise seen from the side their normal points to.
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
