// TriangleBvh: imported model triangles and a bounding-volume hierarchy for ray casts over
// them. Shared by the preview renderer and the asset checks, which both read the generated OBJ
// files back through assimp exactly as the demo imports them.
#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <glm/glm.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

struct Triangle {
    glm::vec3 p[3];
    glm::vec2 uv[3];
    int surface; // index into the caller's material list
};

struct ImportedMaterial {
    glm::vec3 diffuse{0.8f};
    float opacity = 1.0f;
    std::string diffuseMap, heightMap;
};

// Imports `path` with the demo's post-processing (0x4A) and appends its triangles, moved by
// `offset`; surfaces are numbered from `firstSurface` in the file's material order.
inline bool importTriangles(const std::string& path, glm::vec3 offset, int firstSurface,
                            std::vector<Triangle>& tris, std::vector<ImportedMaterial>& materials) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0x4A);
    if (scene == nullptr) {
        return false;
    }
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        const aiMaterial* mat = scene->mMaterials[m];
        ImportedMaterial im;
        aiColor4D c;
        if (aiGetMaterialColor(mat, "$clr.diffuse", 0, 0, &c) == AI_SUCCESS) {
            im.diffuse = glm::vec3(c.r, c.g, c.b);
        }
        if (aiGetMaterialColor(mat, "$mat.opacity", 0, 0, &c) == AI_SUCCESS) {
            im.opacity = c.r;
        }
        aiString file;
        if (mat->GetTexture(aiTextureType_DIFFUSE, 0, &file) == AI_SUCCESS) {
            im.diffuseMap = file.C_Str();
        }
        if (mat->GetTexture(aiTextureType_HEIGHT, 0, &file) == AI_SUCCESS) {
            im.heightMap = file.C_Str();
        }
        materials.push_back(im);
    }
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) {
                continue;
            }
            Triangle t;
            for (int k = 0; k < 3; ++k) {
                unsigned v = face.mIndices[k];
                t.p[k] =
                    glm::vec3(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z) +
                    offset;
                t.uv[k] = mesh->HasTextureCoords(0) ? glm::vec2(mesh->mTextureCoords[0][v].x,
                                                                mesh->mTextureCoords[0][v].y)
                                                    : glm::vec2(0.0f);
            }
            t.surface = firstSurface + int(mesh->mMaterialIndex);
            tris.push_back(t);
        }
    }
    return true;
}

struct Hit {
    float t = 1e30f;
    int tri = -1;
    float b1 = 0, b2 = 0; // barycentric weights of corners 1 and 2
};

// Median-split hierarchy; `intersect` finds the nearest hit of either facing.
struct Bvh {
    struct Node {
        glm::vec3 lo, hi;
        int left = -1, right = -1, first = 0, count = 0;
    };
    std::vector<Node> nodes;
    std::vector<int> order;
    const std::vector<Triangle>* tris = nullptr;

    void build(const std::vector<Triangle>& t) {
        tris = &t;
        order.resize(t.size());
        for (size_t i = 0; i < t.size(); ++i) {
            order[i] = int(i);
        }
        nodes.clear();
        if (!t.empty()) {
            split(0, int(t.size()));
        }
    }

    void intersect(glm::vec3 o, glm::vec3 d, Hit& hit) const {
        if (nodes.empty()) {
            return;
        }
        glm::vec3 inv = 1.0f / d;
        int stack[128];
        int top = 0;
        stack[top++] = 0;
        while (top > 0) {
            const Node& n = nodes[size_t(stack[--top])];
            if (!overlaps(n, o, inv, hit.t)) {
                continue;
            }
            if (n.left < 0) {
                for (int i = n.first; i < n.first + n.count; ++i) {
                    test(order[size_t(i)], o, d, hit);
                }
            } else {
                stack[top++] = n.left;
                stack[top++] = n.right;
            }
        }
    }

    // Whether any triangle lies along the ray closer than tMax (the first one found ends the
    // search: a shadow ray needs no nearest hit).
    bool occluded(glm::vec3 o, glm::vec3 d, float tMax) const {
        if (nodes.empty()) {
            return false;
        }
        glm::vec3 inv = 1.0f / d;
        int stack[128];
        int top = 0;
        stack[top++] = 0;
        Hit hit;
        hit.t = tMax;
        while (top > 0) {
            const Node& n = nodes[size_t(stack[--top])];
            if (!overlaps(n, o, inv, hit.t)) {
                continue;
            }
            if (n.left >= 0) {
                stack[top++] = n.left;
                stack[top++] = n.right;
                continue;
            }
            for (int i = n.first; i < n.first + n.count; ++i) {
                test(order[size_t(i)], o, d, hit);
                if (hit.tri >= 0) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    int split(int first, int count) {
        Node n;
        n.lo = glm::vec3(1e30f);
        n.hi = glm::vec3(-1e30f);
        for (int i = first; i < first + count; ++i) {
            for (const glm::vec3& p : (*tris)[size_t(order[size_t(i)])].p) {
                n.lo = glm::min(n.lo, p);
                n.hi = glm::max(n.hi, p);
            }
        }
        int index = int(nodes.size());
        nodes.push_back(n);
        if (count <= 4) {
            nodes[size_t(index)].first = first;
            nodes[size_t(index)].count = count;
            return index;
        }
        glm::vec3 ext = n.hi - n.lo;
        int axis = ext.x > ext.y ? (ext.x > ext.z ? 0 : 2) : (ext.y > ext.z ? 1 : 2);
        auto centre = [&](int i) {
            const Triangle& t = (*tris)[size_t(i)];
            return t.p[0][axis] + t.p[1][axis] + t.p[2][axis];
        };
        std::nth_element(order.begin() + first, order.begin() + first + count / 2,
                         order.begin() + first + count,
                         [&](int a, int b) { return centre(a) < centre(b); });
        int l = split(first, count / 2);
        int r = split(first + count / 2, count - count / 2);
        nodes[size_t(index)].left = l;
        nodes[size_t(index)].right = r;
        return index;
    }

    static bool overlaps(const Node& n, glm::vec3 o, glm::vec3 inv, float tMax) {
        glm::vec3 t0 = (n.lo - o) * inv, t1 = (n.hi - o) * inv;
        glm::vec3 a = glm::min(t0, t1), b = glm::max(t0, t1);
        float enter = std::max({a.x, a.y, a.z, 0.0f}), leave = std::min({b.x, b.y, b.z, tMax});
        return enter <= leave;
    }

    // Moller-Trumbore ray/triangle test.
    void test(int index, glm::vec3 o, glm::vec3 d, Hit& hit) const {
        const Triangle& t = (*tris)[size_t(index)];
        glm::vec3 e1 = t.p[1] - t.p[0], e2 = t.p[2] - t.p[0];
        glm::vec3 pv = glm::cross(d, e2);
        float det = glm::dot(e1, pv);
        if (std::fabs(det) < 1e-12f) {
            return;
        }
        float inv = 1.0f / det;
        glm::vec3 tv = o - t.p[0];
        float u = glm::dot(tv, pv) * inv;
        if (u < 0 || u > 1) {
            return;
        }
        glm::vec3 qv = glm::cross(tv, e1);
        float v = glm::dot(d, qv) * inv;
        if (v < 0 || u + v > 1) {
            return;
        }
        float dist = glm::dot(e2, qv) * inv;
        if (dist > 1e-4f && dist < hit.t) {
            hit = {dist, index, u, v};
        }
    }
};
