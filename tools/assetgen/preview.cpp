// cathedral-preview: a CPU ray-cast preview of the generated assets from points of the camera
// tour, so the models can be looked at without the renderer. Surfaces are textured and lit by
// the seven lamps plus a soft ambient term; sky (a miss) and back faces show up in loud colours
// because either means the shell has a hole.
#include "ImageFile.h"
#include "TriangleBvh.h"
#include "gpu/ShaderConstants.h"
#include "scene/CameraPathAnimation.h"
#include "scene/Chandeliers.h"
#include "scene/LinearSpline.h"

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Texture {
    int w = 0, h = 0;
    std::vector<glm::vec4> texels;
    glm::vec4 sample(glm::vec2 uv) const {
        float u = uv.x - std::floor(uv.x), v = uv.y - std::floor(uv.y);
        int x = std::min(w - 1, int(u * w)), y = std::min(h - 1, int(v * h));
        return texels[size_t(y) * size_t(w) + size_t(x)];
    }
};

struct Surface {
    glm::vec4 colour{0.8f, 0.8f, 0.8f, 1.0f};
    const Texture* texture = nullptr;
};

std::map<std::string, std::unique_ptr<Texture>> textures;

const Texture* loadTexture(const std::string& path) {
    auto it = textures.find(path);
    if (it != textures.end()) {
        return it->second.get();
    }
    auto tex = std::make_unique<Texture>();
    if (!readImageFile(path, tex->w, tex->h, tex->texels)) {
        std::printf("preview: missing texture %s\n", path.c_str());
        return nullptr;
    }
    return (textures[path] = std::move(tex)).get();
}

// Appends every triangle of an OBJ file, moved by `offset`, with one surface per material.
void loadModel(const std::string& path, glm::vec3 offset, std::vector<Triangle>& tris,
               std::vector<Surface>& surfaces) {
    std::vector<ImportedMaterial> materials;
    if (!importTriangles(path, offset, int(surfaces.size()), tris, materials)) {
        std::printf("preview: cannot import %s\n", path.c_str());
        return;
    }
    std::string dir = path.substr(0, path.rfind('/') + 1);
    for (const ImportedMaterial& m : materials) {
        Surface s;
        s.colour = glm::vec4(m.diffuse, m.opacity);
        if (!m.diffuseMap.empty()) {
            s.texture = loadTexture(dir + m.diffuseMap);
        }
        surfaces.push_back(s);
    }
}

struct Scene {
    std::vector<Triangle> opaque, glass;
    std::vector<Surface> surfaces;
    Bvh opaqueBvh, glassBvh;
};

glm::vec4 surfaceColour(const Scene& s, const Triangle& t, const Hit& h) {
    const Surface& surf = s.surfaces[size_t(t.surface)];
    if (surf.texture == nullptr) {
        return surf.colour;
    }
    glm::vec2 uv = t.uv[0] * (1 - h.b1 - h.b2) + t.uv[1] * h.b1 + t.uv[2] * h.b2;
    return surf.texture->sample(uv);
}

// Lit colour of the opaque surface hit along the ray; `hole` is set for a miss or a back face.
glm::vec3 opaqueColour(const Scene& s, glm::vec3 o, glm::vec3 d, const Hit& hit, bool& hole) {
    if (hit.tri < 0) {
        hole = true;
        return glm::vec3(skyColor[0], skyColor[1], skyColor[2]);
    }
    const Triangle& t = s.opaque[size_t(hit.tri)];
    glm::vec3 n = glm::normalize(glm::cross(t.p[1] - t.p[0], t.p[2] - t.p[0]));
    if (glm::dot(n, d) > 0) {
        hole = true;
        return glm::vec3(1, 0, 1);
    }
    glm::vec3 p = o + d * hit.t;
    glm::vec3 albedo = glm::vec3(surfaceColour(s, t, hit));
    float light = 0.28f + 0.25f * std::fabs(glm::dot(n, d));
    for (const glm::vec3& chandelier : chandelierOffsets) {
        glm::vec3 l = chandelier + lampHeight - p;
        float dist = glm::length(l);
        light += 1.6f * std::max(0.0f, glm::dot(n, l / dist)) / (1.0f + 0.05f * dist * dist);
    }
    return albedo * light;
}

glm::vec3 shade(const Scene& s, glm::vec3 o, glm::vec3 d, int& leaks) {
    Hit hit;
    s.opaqueBvh.intersect(o, d, hit);
    bool hole = false;
    glm::vec3 colour = opaqueColour(s, o, d, hit, hole);
    // Window panes in front of the opaque hit, blended back to front.
    std::vector<glm::vec4> panes;
    glm::vec3 origin = o;
    float remaining = hit.t;
    for (int layer = 0; layer < 3; ++layer) {
        Hit g;
        g.t = remaining;
        s.glassBvh.intersect(origin, d, g);
        if (g.tri < 0) {
            break;
        }
        const Triangle& t = s.glass[size_t(g.tri)];
        glm::vec4 c = surfaceColour(s, t, g);
        const Surface& surf = s.surfaces[size_t(t.surface)];
        panes.emplace_back(glm::vec3(c) * 1.4f, surf.texture ? c.a : surf.colour.a);
        origin = origin + d * (g.t + 1e-3f);
        remaining -= g.t + 1e-3f;
    }
    if (hole && panes.empty()) {
        ++leaks;
        if (std::getenv("PREVIEW_DEBUG") != nullptr && leaks % 97 == 1) {
            glm::vec3 p = o + d * std::min(hit.t, 100.0f);
            std::printf("  hole towards (%.2f %.2f %.2f) at (%.2f %.2f %.2f)\n", d.x, d.y, d.z, p.x,
                        p.y, p.z);
        }
    }
    for (auto it = panes.rbegin(); it != panes.rend(); ++it) {
        colour = glm::mix(colour, glm::vec3(*it), it->a);
    }
    return glm::clamp(colour, 0.0f, 1.0f);
}

int renderView(const Scene& s, glm::vec3 pos, glm::vec3 rot, const std::string& path, int w,
               int h) {
    glm::mat4 r(1.0f);
    r = glm::rotate(r, glm::radians(rot.x), glm::vec3(1, 0, 0));
    r = glm::rotate(r, glm::radians(rot.y), glm::vec3(0, 1, 0));
    r = glm::rotate(r, glm::radians(rot.z), glm::vec3(0, 0, 1));
    glm::mat3 toWorld = glm::transpose(glm::mat3(r));
    float tanHalf = std::tan(glm::radians(35.0f)), aspect = float(w) / float(h);
    FIBITMAP* bmp = FreeImage_Allocate(w, h, 24);
    int leaks = 0;
    for (int y = 0; y < h; ++y) {
        BYTE* line = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < w; ++x) {
            glm::vec3 dc((2.0f * (x + 0.5f) / w - 1.0f) * tanHalf * aspect,
                         (2.0f * (y + 0.5f) / h - 1.0f) * tanHalf, -1.0f);
            glm::vec3 c = shade(s, pos, glm::normalize(toWorld * dc), leaks);
            line[x * 3 + FI_RGBA_RED] = BYTE(c.r * 255);
            line[x * 3 + FI_RGBA_GREEN] = BYTE(c.g * 255);
            line[x * 3 + FI_RGBA_BLUE] = BYTE(c.b * 255);
        }
    }
    // A 256-colour palette keeps the pictures small enough to keep beside the sources.
    FIBITMAP* small = FreeImage_ColorQuantize(bmp, FIQ_WUQUANT);
    FreeImage_Save(FIF_PNG, small != nullptr ? small : bmp, path.c_str(), 0);
    FreeImage_Unload(small);
    FreeImage_Unload(bmp);
    std::printf("preview: %s from (%.1f %.1f %.1f) rot (%.0f %.0f): %d hole pixels\n", path.c_str(),
                pos.x, pos.y, pos.z, rot.x, rot.y, leaks);
    return leaks;
}

} // namespace

// Usage: cathedral-preview <Assets dir> <output dir> [clock ...]; without clocks it renders the
// pictures kept in docs/ (animation clock values: the tour runs from 0 to 221.6).
int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: cathedral-preview <Assets dir> <output dir> [clock ...]\n");
        return 1;
    }
    std::string assets = argv[1], out = argv[2];
    FreeImage_Initialise(FALSE);
    Scene s;
    loadModel(assets + "/sibenik-cathedral-vray-noWindows.obj", glm::vec3(0), s.opaque, s.surfaces);
    for (const glm::vec3& offset : chandelierOffsets) {
        loadModel(assets + "/zardinjera.obj", offset, s.opaque, s.surfaces);
    }
    loadModel(assets + "/sibenik-cathedral-vray-Windows.obj", glm::vec3(0), s.glass, s.surfaces);
    s.opaqueBvh.build(s.opaque);
    s.glassBvh.build(s.glass);
    // The program's own tour: its key table evaluated by its own splines.
    CameraPathAnimation tour;
    // Without clocks on the command line: the four views kept under docs/.
    std::vector<std::pair<double, std::string>> views = {
        {0.0, "nave"}, {88.0, "transept"}, {100.0, "apse"}, {170.0, "dome"}};
    if (argc > 3) {
        views.clear();
        for (int i = 3; i < argc; ++i) {
            views.emplace_back(std::atof(argv[i]), std::string("tour-") + argv[i]);
        }
    }
    int total = 0;
    for (const auto& view : views) {
        total += renderView(s, tour.positionSpline->interpolate(view.first),
                            tour.rotationSpline->interpolate(view.first),
                            out + "/assets-preview-" + view.second + ".png", 480, 360);
    }
    FreeImage_DeInitialise();
    return total > 0 ? 2 : 0;
}
