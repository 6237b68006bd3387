// ProbeBaker: the Monte Carlo bake of the irradiance volume (see ProbeBaker.h).
#include "ProbeBaker.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

const float pi = 3.14159265358979f;
const float surfaceOffset = 1e-3f; // ray origins leave a surface by this much
const float farAway = 1000.0f;     // a ray that reaches no surface within it has left

// Where a probe ray ended: the radiance of the first bounce leaving the hit, and what the
// later bounces need to add the light that reached the hit indirectly.
struct RayHit {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec3 albedo;
    glm::vec3 firstBounce; // albedo x direct light
    bool hit = false;
};

uint32_t pcgHash(uint32_t v) {
    uint32_t state = v * 747796405u + 2891336453u;
    uint32_t word = ((state >> ((state >> 28u) + 4u)) ^ state) * 277803737u;
    return (word >> 22u) ^ word;
}

float unitFloat(uint32_t& state) {
    state = pcgHash(state);
    return float(state >> 8) * (1.0f / 16777216.0f);
}

// A uniformly random rotation (Shoemake, "Uniform random rotations", Graphics Gems III).
glm::mat3 randomRotation(uint32_t seed) {
    uint32_t state = seed;
    float u1 = unitFloat(state), u2 = unitFloat(state), u3 = unitFloat(state);
    float a = std::sqrt(1.0f - u1), b = std::sqrt(u1);
    float x = a * std::sin(2.0f * pi * u2), y = a * std::cos(2.0f * pi * u2);
    float z = b * std::sin(2.0f * pi * u3), w = b * std::cos(2.0f * pi * u3);
    return glm::mat3(1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y),
                     2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x),
                     2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y));
}

// Spherical Fibonacci point i of n: evenly spread unit directions.
glm::vec3 fibonacciDirection(int i, int n) {
    float z = 1.0f - (2.0f * float(i) + 1.0f) / float(n);
    float r = std::sqrt(std::max(0.0f, 1.0f - z * z));
    float phi = float(i) * 2.39996323f;
    return glm::vec3(r * std::cos(phi), r * std::sin(phi), z);
}

glm::vec3 faceNormal(const Triangle& t) {
    return glm::normalize(glm::cross(t.p[1] - t.p[0], t.p[2] - t.p[0]));
}

class Baker {
public:
    Baker(const BakeScene& scene, const BakeSettings& settings) : scene(scene), settings(settings) {
        opaque.build(scene.opaque);
        closures.build(scene.closures);
    }

    IrradianceProbeGrid bake() {
        IrradianceProbeGrid grid(settings.counts, settings.origin, settings.spacing);
        hits.assign(grid.probeCount() * size_t(settings.raysPerProbe), RayHit());
        valid.assign(grid.probeCount(), 0);
        parallel(grid, [&](size_t probe) { traceProbe(grid, probe); });
        IrradianceProbeGrid previous = grid;
        for (int bounce = 1; bounce <= settings.bounces; ++bounce) {
            parallel(grid, [&](size_t probe) { project(grid, previous, probe, bounce > 1); });
            previous = grid;
        }
        return grid;
    }

private:
    const BakeScene& scene;
    const BakeSettings& settings;
    Bvh opaque, closures;
    std::vector<RayHit> hits;
    std::vector<char> valid;

    template <typename Step> void parallel(const IrradianceProbeGrid& grid, Step step) {
        int threads = settings.threads > 0 ? settings.threads
                                           : std::max(1, int(std::thread::hardware_concurrency()));
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                for (size_t probe = size_t(t); probe < grid.probeCount();
                     probe += size_t(threads)) {
                    step(probe);
                }
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    }

    glm::vec3 direction(size_t probe, int ray) const {
        glm::mat3 rotation = randomRotation(pcgHash(uint32_t(probe) ^ pcgHash(settings.seed)));
        return rotation * fibonacciDirection(ray, settings.raysPerProbe);
    }

    // Casts the probe's rays once and keeps where they end; decides the probe's validity.
    void traceProbe(const IrradianceProbeGrid& grid, size_t probe) {
        glm::vec3 origin = grid.position(grid.cell(probe));
        int lost = 0;
        int lostLimit = int(settings.invalidShare * float(settings.raysPerProbe));
        for (int ray = 0; ray < settings.raysPerProbe && lost <= lostLimit; ++ray) {
            glm::vec3 d = direction(probe, ray);
            Hit hit;
            hit.t = farAway;
            opaque.intersect(origin, d, hit);
            RayHit& out = hits[probe * size_t(settings.raysPerProbe) + size_t(ray)];
            if (hit.tri < 0) {
                Hit pane;
                pane.t = farAway;
                closures.intersect(origin, d, pane);
                lost += pane.tri < 0 ? 1 : 0;
                continue;
            }
            const Triangle& t = scene.opaque[size_t(hit.tri)];
            glm::vec3 n = faceNormal(t);
            if (glm::dot(n, d) > 0.0f) {
                ++lost;
                continue;
            }
            out.hit = true;
            out.position = origin + d * hit.t;
            out.normal = n;
            out.albedo = albedo(t, hit);
        }
        valid[probe] = lost <= lostLimit;
        // A probe of weight 0 is never read: its hits need no direct light.
        for (int ray = 0; valid[probe] && ray < settings.raysPerProbe; ++ray) {
            RayHit& out = hits[probe * size_t(settings.raysPerProbe) + size_t(ray)];
            if (out.hit) {
                out.firstBounce = out.albedo * directLight(out.position, out.normal);
            }
        }
    }

    glm::vec3 albedo(const Triangle& t, const Hit& hit) const {
        const BakeSurface& s = scene.surfaces[size_t(t.surface)];
        if (s.image == nullptr) {
            return s.albedo;
        }
        glm::vec2 uv = t.uv[0] * (1.0f - hit.b1 - hit.b2) + t.uv[1] * hit.b1 + t.uv[2] * hit.b2;
        return s.image->sample(uv);
    }

    glm::vec3 directLight(glm::vec3 p, glm::vec3 n) const {
        glm::vec3 sum = scene.daylight ? scene.daylight(p, n) : glm::vec3(0.0f);
        for (const BakeLight& light : scene.lights) {
            glm::vec3 toLight = light.position - p;
            float d = glm::length(toLight);
            glm::vec3 l = toLight / d;
            float nDotL = glm::dot(n, l);
            if (d >= light.radius || nDotL <= 0.0f) {
                continue;
            }
            if (!opaque.occluded(p + n * surfaceOffset, l, d - 2.0f * surfaceOffset)) {
                sum += light.color * (lampFalloff(light, d) * nDotL);
            }
        }
        return sum;
    }

    // Projects the light leaving every ray's hit onto the probe's bands 0 and 1, already
    // convolved with the cosine lobe and divided by pi: per channel a = mean(L) and
    // b = 2 mean(L w); the probe keeps a and the luminance's b / a as its direction.
    void project(IrradianceProbeGrid& grid, const IrradianceProbeGrid& previous, size_t probe,
                 bool addIndirect) const {
        glm::vec3 mean(0.0f), bands[3] = {glm::vec3(0.0f), glm::vec3(0.0f), glm::vec3(0.0f)};
        for (int ray = 0; valid[probe] && ray < settings.raysPerProbe; ++ray) {
            const RayHit& h = hits[probe * size_t(settings.raysPerProbe) + size_t(ray)];
            if (!h.hit) {
                continue;
            }
            glm::vec3 radiance = h.firstBounce;
            glm::vec3 indirect;
            if (addIndirect && previous.sample(h.position + h.normal * (0.5f * previous.spacing),
                                               h.normal, indirect)) {
                radiance += h.albedo * indirect;
            }
            glm::vec3 d = direction(probe, ray);
            mean += radiance;
            for (int c = 0; c < 3; ++c) {
                bands[c] += 2.0f * radiance[c] * d;
            }
        }
        IrradianceProbeGrid::Probe& out = grid.probes[probe];
        out.light = mean / float(settings.raysPerProbe);
        glm::vec3 band = 0.2126f * bands[0] + 0.7152f * bands[1] + 0.0722f * bands[2];
        float level = IrradianceProbeGrid::luminance(mean);
        out.direction = level > 0.0f ? band / level : glm::vec3(0.0f);
        out.weight = valid[probe] ? 1.0f : 0.0f;
    }
};

} // namespace

glm::vec3 BakeImage::sample(glm::vec2 uv) const {
    float u = uv.x - std::floor(uv.x), v = uv.y - std::floor(uv.y);
    int x = std::min(width - 1, int(u * float(width)));
    int y = std::min(height - 1, int(v * float(height)));
    return texels[size_t(y) * size_t(width) + size_t(x)];
}

float lampFalloff(const BakeLight& light, float d) {
    float attenuation = 1.0f / (1.0f + light.linear * d + light.quadratic * d * d);
    float reach = d / light.radius;
    float window = glm::clamp(1.0f - reach * reach * reach * reach, 0.0f, 1.0f);
    return attenuation * window * window;
}

IrradianceProbeGrid bakeProbes(const BakeScene& scene, const BakeSettings& settings) {
    Baker baker(scene, settings);
    return baker.bake();
}
