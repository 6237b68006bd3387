// cathedral-bake: bakes the cathedral's indirect light into Assets/indirect_light.probes (the
// format is documented in src/scene/IrradianceProbeGrid.h). It reads the generated models and
// material images back as the demo imports them, hangs the scene's own seven lamps and adds the
// drum's daylight, then runs ProbeBaker with a fixed seed, so every build bakes the same bytes.
#include "ImageFile.h"
#include "ProbeBaker.h"
#include "gpu/ShaderConstants.h"
#include "scene/Chandeliers.h"
#include "scene/Light.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

// The bake's resolution: probes one unit apart, a few hundred rays each, and six bounces (each
// bounce after the first only re-reads the rays' hits, so they cost little).
const float probeSpacing = 1.0f;
const int raysPerProbe = 192;
const int bounces = 6;
const uint32_t bakeSeed = 20261209u;

float srgbToLinear(float c) {
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

glm::vec3 srgbToLinear(glm::vec3 c) {
    return glm::vec3(srgbToLinear(c.r), srgbToLinear(c.g), srgbToLinear(c.b));
}

struct SceneFiles {
    BakeScene scene;
    std::map<std::string, std::unique_ptr<BakeImage>> images;

    const BakeImage* image(const std::string& path) {
        auto found = images.find(path);
        if (found != images.end()) {
            return found->second.get();
        }
        auto image = std::make_unique<BakeImage>();
        std::vector<glm::vec4> texels;
        if (!readImageFile(path, image->width, image->height, texels)) {
            std::printf("bake: cannot read %s\n", path.c_str());
            return nullptr;
        }
        for (const glm::vec4& t : texels) {
            image->texels.push_back(srgbToLinear(glm::vec3(t)));
        }
        return (images[path] = std::move(image)).get();
    }

    // The albedo the geometry pass stores: the decoded colour image, else the material colour.
    bool load(const std::string& dir, const std::string& file, glm::vec3 offset,
              std::vector<Triangle>& into) {
        std::vector<ImportedMaterial> materials;
        if (!importTriangles(dir + "/" + file, offset, int(scene.surfaces.size()), into,
                             materials)) {
            std::printf("bake: cannot import %s/%s\n", dir.c_str(), file.c_str());
            return false;
        }
        for (const ImportedMaterial& m : materials) {
            BakeSurface s;
            s.albedo = srgbToLinear(m.diffuse);
            if (!m.diffuseMap.empty()) {
                s.image = image(dir + "/" + m.diffuseMap);
            }
            scene.surfaces.push_back(s);
        }
        return true;
    }
};

// The drum's daylight as the lighting pass adds it (drumLight in Shader/deferredRenderPass.frag),
// from the same shared constants.
glm::vec3 drumDaylight(glm::vec3 p, glm::vec3 n) {
    const glm::vec3 centre(drumCentre[0], drumCentre[1], drumCentre[2]);
    const glm::vec3 colour =
        glm::vec3(drumDaylightColor[0], drumDaylightColor[1], drumDaylightColor[2]) *
        drumDaylightStrength;
    glm::vec3 toDrum = centre - p;
    float d = glm::length(toDrum);
    float falloff = 1.0f / (1.0f + (d / drumReach) * (d / drumReach));
    float across = glm::length(glm::vec2(p.x - centre.x, p.z - centre.z));
    float inside = glm::smoothstep(drumFadeIn[0], drumFadeIn[1], p.y) *
                   (1.0f - glm::smoothstep(drumFadeOut[0], drumFadeOut[1], across));
    return colour * (std::max(glm::dot(n, toDrum / d), 0.0f) * falloff * inside);
}

// Probes over the shell's bounding box, centred on it, `probeSpacing` apart.
BakeSettings gridAround(const std::vector<Triangle>& shell) {
    glm::vec3 lo(1e30f), hi(-1e30f);
    for (const Triangle& t : shell) {
        for (const glm::vec3& p : t.p) {
            lo = glm::min(lo, p);
            hi = glm::max(hi, p);
        }
    }
    BakeSettings settings;
    settings.spacing = probeSpacing;
    settings.counts = glm::ivec3(glm::ceil((hi - lo) / probeSpacing)) + 1;
    settings.origin = 0.5f * (lo + hi) - 0.5f * probeSpacing * glm::vec3(settings.counts - 1);
    settings.raysPerProbe = raysPerProbe;
    settings.bounces = bounces;
    settings.seed = bakeSeed;
    return settings;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: cathedral-bake <Assets directory> <output file>\n");
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    std::string dir = argv[1], out = argv[2];
    FreeImage_Initialise(FALSE);
    SceneFiles files;
    bool ok = files.load(dir, "sibenik-cathedral-vray-noWindows.obj", glm::vec3(0.0f),
                         files.scene.opaque);
    size_t shellTriangles = files.scene.opaque.size();
    for (const glm::vec3& offset : chandelierOffsets) {
        ok = files.load(dir, "zardinjera.obj", offset, files.scene.opaque) && ok;
    }
    ok = files.load(dir, "sibenik-cathedral-vray-Windows.obj", glm::vec3(0.0f),
                    files.scene.closures) &&
         ok;
    if (!ok) {
        FreeImage_DeInitialise();
        return 1;
    }
    for (const glm::vec3& offset : chandelierOffsets) {
        Light lamp(offset + lampHeight, lampColor, lampLinear, lampQuadratic);
        files.scene.lights.push_back(
            {lamp.position, lamp.color, lamp.linear, lamp.quadratic, lamp.radius()});
    }
    files.scene.daylight = drumDaylight;
    std::vector<Triangle> shell(files.scene.opaque.begin(),
                                files.scene.opaque.begin() + long(shellTriangles));
    BakeSettings settings = gridAround(shell);
    IrradianceProbeGrid grid = bakeProbes(files.scene, settings);
    FreeImage_DeInitialise();

    size_t open = 0;
    for (const IrradianceProbeGrid::Probe& probe : grid.probes) {
        open += probe.weight > 0.0f ? 1 : 0;
    }
    if (!grid.write(out)) {
        std::printf("bake: cannot write %s\n", out.c_str());
        return 1;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("bake: %d x %d x %d probes (%zu in open space), %d rays each, %d bounces in "
                "%.1f s\n",
                grid.counts.x, grid.counts.y, grid.counts.z, open, settings.raysPerProbe,
                settings.bounces, seconds);
    return 0;
}
