// Each technique of the frame held to an answer worked out independently of the shaders, on
// synthetic input or the renderer's test scene: anti-aliasing against supersampled edges, the
// cube shadow lookup across a face boundary, the bump frame through the G-buffer's precision,
// degenerate input, a light's fall-off and specular term, the panes' colour and tint, and the
// dithered output.
#include "RenderTestScene.h"

#include "GLTestContext.h"
#include "app/RenderSettings.h"
#include "gpu/Framebuffer.h"
#include "gpu/Mesh.h"
#include "gpu/ScreenQuad.h"
#include "gpu/Shader.h"
#include "gpu/ShaderConstants.h"
#include "gpu/ShaderManager.h"
#include "render/OmnidirectionalShadowMappingTechnique.h"
#include "render/Renderer.h"
#include "render/ShadowMappingTechnique.h"
#include "scene/Light.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace rendertest;

namespace {

// A grey image of one channel, 0..1, bottom row first.
struct Grey {
    int width = 0;
    int height = 0;
    std::vector<float> values;
    float& at(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
};

// Share of the pixel (x, y) on the bright side of a straight edge through the image's centre,
// at `angle` degrees from the horizontal, from samples x samples points in the pixel (one
// sample: its centre). The edge passes a third of a pixel off the centre, so no pixel row or
// column lies on it.
Grey edgeImage(int size, float angle, int samples) {
    Grey image{size, size, std::vector<float>(static_cast<size_t>(size) * size)};
    glm::vec2 normal(-std::sin(glm::radians(angle)), std::cos(glm::radians(angle)));
    glm::vec2 centre(size * 0.5f + 0.33f, size * 0.5f + 0.33f);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int inside = 0;
            for (int j = 0; j < samples; ++j) {
                for (int i = 0; i < samples; ++i) {
                    glm::vec2 p(x + (i + 0.5f) / samples, y + (j + 0.5f) / samples);
                    inside += glm::dot(p - centre, normal) > 0.0f ? 1 : 0;
                }
            }
            image.at(x, y) = static_cast<float>(inside) / static_cast<float>(samples * samples);
        }
    }
    return image;
}

// The anti-aliasing program ("fxaa") run over a grey image, as the renderer runs it over the
// finished frame: an 8-bit image on unit 0 with linear filtering, clamped to the edge.
Grey antiAliased(const Grey& image) {
    std::vector<unsigned char> rgba;
    for (float value : image.values) {
        auto byte = static_cast<unsigned char>(std::lround(value * 255.0f));
        rgba.insert(rgba.end(), {byte, byte, byte, 255});
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    Framebuffer output(image.width, image.height);
    output.addTexture(GL_COLOR_ATTACHMENT0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, glm::vec4(0.0f),
                      true);
    output.bind();
    glDisable(GL_DEPTH_TEST);
    Shader* shader = ShaderManager::getShader("fxaa");
    shader->use();
    shader->setInt("image", 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    ScreenQuad::getInstance()->draw();
    Shader::unuse();
    glEnable(GL_DEPTH_TEST);
    std::vector<unsigned char> result(rgba.size());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, result.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    output.release();
    glDeleteTextures(1, &texture);
    Grey smoothed{image.width, image.height, std::vector<float>(image.values.size())};
    for (size_t i = 0; i < smoothed.values.size(); ++i) {
        smoothed.values[i] = result[4 * i] / 255.0f;
    }
    return smoothed;
}

// Root mean square difference of two images, the outer eight pixels left out (the pass clamps
// its taps there).
float distance(const Grey& a, const Grey& b) {
    double sum = 0.0;
    int count = 0;
    for (int y = 8; y < a.height - 8; ++y) {
        for (int x = 8; x < a.width - 8; ++x) {
            double d = a.at(x, y) - b.at(x, y);
            sum += d * d;
            ++count;
        }
    }
    return static_cast<float>(std::sqrt(sum / count));
}

// Direction i of count, evenly between two directions, as the GLSL text of a vec3 expression.
std::string pathDirection(glm::vec3 from, glm::vec3 to) {
    auto vec = [](glm::vec3 v) {
        return "vec3(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " +
               std::to_string(v.z) + ")";
    };
    return "normalize(mix(" + vec(from) + ", " + vec(to) + ", (gl_FragCoord.x - 0.5) / " +
           "float(textureSize(cube, 0).x * 4 - 1)))";
}

// A float RGBA texture of width x height texels on unit 0, nearest filtering.
GLuint uploadFloats(const std::vector<glm::vec4>& texels, int width, int height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, width, height, 0, GL_RGBA, GL_FLOAT, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

// Unit normals on both sides of |n.y| = 0.9 and of every axis and diagonal plane a frame could
// switch at, the axes and diagonals themselves, and a spiral over the whole sphere.
std::vector<glm::vec4> testNormals() {
    std::vector<glm::vec4> normals;
    auto add = [&normals](glm::vec3 n) { normals.emplace_back(glm::normalize(n), 0.0f); };
    for (int azimuth = 0; azimuth < 16; ++azimuth) {
        float phi = glm::two_pi<float>() * (azimuth + 0.3f) / 16.0f;
        for (int k = -20; k <= 20; ++k) {
            for (float y : {0.9f, -0.9f, 0.0f}) {
                float ny = y + k * 2e-5f;
                float r = std::sqrt(1.0f - ny * ny);
                add({r * std::cos(phi), ny, r * std::sin(phi)});
            }
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
            glm::vec3 n(0.0f);
            n[axis] = sign;
            add(n);
            for (int k = -5; k <= 5; ++k) {
                glm::vec3 m = n;
                m[(axis + 1) % 3] = k * 1e-4f;
                add(m);
            }
        }
    }
    for (int i = 0; i < 8; ++i) {
        add({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
    }
    const int spiral = 2000;
    for (int i = 0; i < spiral; ++i) {
        float y = 1.0f - 2.0f * (i + 0.5f) / spiral;
        float r = std::sqrt(1.0f - y * y);
        float phi = 2.39996323f * static_cast<float>(i);
        add({r * std::cos(phi), y, r * std::sin(phi)});
    }
    return normals;
}

// A float RGBA copy of a render target's attachment.
std::vector<glm::vec4> readFloats(const Framebuffer& buffer, GLenum attachment, int count) {
    std::vector<glm::vec4> texels(static_cast<size_t>(count));
    glBindTexture(GL_TEXTURE_2D, buffer.getTexture(attachment));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    return texels;
}

// Pixels of the HDR buffer's lit image and bright parts that hold a NaN or an infinity.
int nonFinitePixels(const Renderer& renderer) {
    int count = renderer.width() * renderer.height();
    int bad = 0;
    for (GLenum attachment : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1}) {
        for (const glm::vec4& texel : readFloats(renderer.hdrBuffer, attachment, count)) {
            bad +=
                std::isfinite(texel.r) && std::isfinite(texel.g) && std::isfinite(texel.b) ? 0 : 1;
        }
    }
    return bad;
}

// Switches off what darkens or covers the lit surfaces besides the light itself: its shadows,
// ambient occlusion, the panes and the flame.
void litByTheLightAlone() {
    RenderSettings::omnidirectionalShadows = false;
    RenderSettings::ssao = false;
    RenderSettings::transparentObjects = false;
}

} // namespace

class KnownAnswersGLTest : public TestSceneGLTest {};

TEST_F(KnownAnswersGLTest, AntiAliasingBringsEdgesAtEveryAngleCloserToTheirSupersampledImage) {
    const int size = 64;
    for (float angle : {0.0f, 20.0f, 45.0f, 70.0f, 90.0f, 110.0f, 135.0f, 160.0f}) {
        Grey aliased = edgeImage(size, angle, 1);
        Grey answer = edgeImage(size, angle, 8);
        float before = distance(aliased, answer);
        float after = distance(antiAliased(aliased), answer);
        // Along a row or column a one-sample edge is already its best 8-bit image here: the pass
        // must leave it so; a sloped one must come markedly closer.
        bool straight = std::fmod(angle, 90.0f) == 0.0f;
        EXPECT_LE(after, straight ? before + 1e-6f : 0.75f * before)
            << "edge at " << angle << " degrees: " << before << " before the pass, " << after
            << " after";
    }
}

TEST_F(KnownAnswersGLTest, CubeShadowPenumbraCrossesAFaceBoundaryWithoutAStep) {
    // The renderer sets the standing state its lookups rely on.
    Renderer renderer(64, 48);
    OmnidirectionalShadowMappingTechnique cube(shadowMapSize, shadowMapSize);
    // +X holds a caster in front of every texel, +Z none in its outer quarter towards +X (s >
    // 0.75) and one elsewhere: along a path from +X into +Z the light comes on at the boundary
    // and goes off again at s = 0.75 inside +Z.
    const int size = shadowMapSize;
    std::vector<float> near(static_cast<size_t>(size) * size, 0.0f);
    std::vector<float> zFace(near.size(), 0.0f);
    for (int t = 0; t < size; ++t) {
        for (int s = size * 3 / 4; s < size; ++s) {
            zFace[static_cast<size_t>(t) * size + s] = 1.0f;
        }
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube.cubeMap);
    glTexSubImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, 0, 0, size, size, GL_DEPTH_COMPONENT,
                    GL_FLOAT, near.data());
    glTexSubImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_Z, 0, 0, 0, size, size, GL_DEPTH_COMPONENT,
                    GL_FLOAT, zFace.data());
    cube.bindComparisonTexture(0);
    // About eight lookups a texel along the path, each comparing with depth 0.5.
    const glm::vec3 from(1.0f, 0.1f, 0.3f);
    const glm::vec3 to(0.3f, 0.1f, 1.0f);
    std::vector<glm::vec4> lit = evaluateGlsl("uniform samplerCubeShadow cube;\n"
                                              "void main() { result = vec4(texture(cube, vec4(" +
                                                  pathDirection(from, to) + ", 0.5))); }",
                                              size * 4);
    OmnidirectionalShadowMappingTechnique::unbindComparisonSampler(0);

    // Position along the path in texels from the boundary (x = z), negative on +X: the change of
    // the lookup per texel is what a filtered edge bounds, wherever the path runs faster.
    auto texels = [&](size_t i) {
        glm::vec3 d =
            glm::mix(from, to, static_cast<float>(i) / static_cast<float>(lit.size() - 1));
        return (d.x > d.z ? d.z / d.x - 1.0f : 1.0f - d.x / d.z) * 0.5f * size;
    };
    float acrossBoundary = 0.0f;
    float insideFace = 0.0f;
    for (size_t i = 0; i + 1 < lit.size(); ++i) {
        float perTexel = std::fabs(lit[i + 1].r - lit[i].r) / (texels(i + 1) - texels(i));
        // The edge inside +Z lies at x = z / 2, a quarter face (128 texels) from the boundary.
        float& largest = texels(i) < 64.0f ? acrossBoundary : insideFace;
        largest = std::max(largest, perTexel);
    }
    ASSERT_EQ(lit.front().r, 0.0f);
    ASSERT_EQ(lit.back().r, 0.0f);
    EXPECT_GT(insideFace, 0.0f);
    EXPECT_LT(insideFace, 2.0f) << "the edge inside the face is filtered over a texel";
    EXPECT_LE(acrossBoundary, 1.5f * insideFace)
        << "the penumbra steps at the boundary of +X and +Z";
}

TEST_F(KnownAnswersGLTest, BumpedNormalIsTheSameInBothPassesWhateverTheNormal) {
    std::vector<glm::vec4> normals = testNormals();
    const int count = static_cast<int>(normals.size());
    // A height slope with a part along every axis; the surface gradient is its tangential part.
    const std::string slope = "vec3(0.3, -0.2, 0.25)";
    GLuint input = uploadFloats(normals, count, 1);
    // The geometry pass's steps into a half-float target like the G-buffer's: row 0 the stored
    // normal and the tilt along the tangent, row 1 the tilt along the bitangent.
    std::vector<glm::vec4> stored = evaluateGlsl(
        "uniform sampler2D normals;\n"
        "void main() {\n"
        "    vec3 storedNormal = gBufferNormal(normalize(texelFetch(normals,\n"
        "        ivec2(gl_FragCoord.x, 0), 0).xyz));\n"
        "    vec3 n = normalize(storedNormal);\n"
        "    vec3 gradient = " +
            slope + " - n * dot(" + slope +
            ", n);\n"
            "    vec3 tangent;\n"
            "    vec3 bitangent;\n"
            "    tangentFrame(n, tangent, bitangent);\n"
            "    vec2 tilt = vec2(dot(gradient, tangent), dot(gradient, bitangent));\n"
            "    result = gl_FragCoord.y < 1.0 ? vec4(storedNormal, tilt.x) : vec4(tilt.y);\n"
            "}\n",
        count, 2, GL_RGBA16F);
    glDeleteTextures(1, &input);
    // The lighting pass's steps on what was stored.
    input = uploadFloats(stored, count, 2);
    std::vector<glm::vec4> bumped = evaluateGlsl(
        "uniform sampler2D gBuffer;\n"
        "void main() {\n"
        "    vec4 normalTexel = texelFetch(gBuffer, ivec2(gl_FragCoord.x, 0), 0);\n"
        "    float tiltB = texelFetch(gBuffer, ivec2(gl_FragCoord.x, 1), 0).x;\n"
        "    vec3 ng = normalize(normalTexel.xyz);\n"
        "    vec3 tangent;\n"
        "    vec3 bitangent;\n"
        "    tangentFrame(ng, tangent, bitangent);\n"
        "    result = vec4(normalize(ng - normalTexel.w * tangent - tiltB * bitangent), 0.0);\n"
        "}\n",
        count);
    glDeleteTextures(1, &input);

    const glm::vec3 g(0.3f, -0.2f, 0.25f);
    int wrong = 0;
    for (int i = 0; i < count; ++i) {
        glm::vec3 n = glm::normalize(glm::vec3(stored[i]));
        glm::vec3 expected = glm::normalize(n - (g - n * glm::dot(g, n)));
        // The tilt is stored in half floats: about 2e-4 of its size.
        float error = glm::length(glm::vec3(bumped[i]) - expected);
        if (!(error <= 1e-3f) && ++wrong <= 5) {
            ADD_FAILURE() << "normal (" << normals[i].x << ", " << normals[i].y << ", "
                          << normals[i].z << ") bumps to a normal " << error << " off";
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << count << " normals";
}

TEST_F(KnownAnswersGLTest, DegenerateInputLeavesTheHdrTargetsFinite) {
    const int width = 160;
    const int height = 120;
    lookAt(glm::vec3(-1.0f, 4.0f, 5.0f), glm::vec3(0.5f, 0.0f, 0.0f));
    Light& light = *test.scene->lights[0];
    const glm::vec3 lightPosition = light.position;
    {
        Renderer renderer(width, height);
        renderer.init(test.scene->lights);
        // The floor with zero-length vertex normals, under every effect of the start.
        Mesh* flat = makeMesh(quadTriangles({-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}, {5, 0, -5}),
                              glm::vec4(0.7f, 0.7f, 0.7f, 1.0f));
        std::vector<glm::vec3> zeros(6, glm::vec3(0.0f));
        glBindBuffer(GL_ARRAY_BUFFER, flat->normalBuffer);
        glBufferSubData(GL_ARRAY_BUFFER, 0,
                        static_cast<GLsizeiptr>(zeros.size() * sizeof(glm::vec3)), zeros.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        std::vector<Mesh*> floor = test.scene->opaqueObjects[0]->meshes;
        test.scene->opaqueObjects[0]->meshes = {flat};
        renderFrame(renderer, test.scene);
        EXPECT_EQ(nonFinitePixels(renderer), 0) << "a surface without a normal";
        test.scene->opaqueObjects[0]->meshes = floor;
        delete flat;
        // The light moved onto the floor point that a pixel shows, exactly as stored.
        renderFrame(renderer, test.scene);
        glm::ivec2 pixel(width / 2, height / 2);
        light.position = glm::vec3(readFloats(renderer.gBuffer, GL_COLOR_ATTACHMENT0,
                                              width * height)[pixel.y * width + pixel.x]);
    }
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    renderFrame(renderer, test.scene);
    EXPECT_EQ(nonFinitePixels(renderer), 0) << "a light on the lit surface";
    light.position = lightPosition;
}

TEST_F(KnownAnswersGLTest, PaneShowsTheTransmissionItCastsAsTint) {
    // The test scene's pane, (1, 0.1, 0.1) at opacity 0.7: it lets through mix(1, decoded colour,
    // opacity) of the light, per channel.
    const glm::vec4 pane(1.0f, 0.1f, 0.1f, 0.7f);
    glm::vec3 transmission;
    for (int c = 0; c < 3; ++c) {
        transmission[c] = 1.0f + (srgbToLinear(pane[c]) - 1.0f) * pane.a;
    }
    const int width = 160;
    const int height = 120;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    lookAt(glm::vec3(0.0f, 3.5f, 0.0f), glm::vec3(-6.0f, 3.5f, 0.0f));
    renderFrame(renderer, test.scene);

    // The tint: the colored shadow map's texels behind the pane.
    std::vector<glm::vec4> map(static_cast<size_t>(shadowMapSize) * shadowMapSize);
    glBindTexture(GL_TEXTURE_2D, renderer.shadowMapping->getColorTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, map.data());
    glm::vec4 tint = *std::min_element(map.begin(), map.end(),
                                       [](glm::vec4 a, glm::vec4 b) { return a.g < b.g; });
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(tint[c], transmission[c], 2e-3f) << "tint, channel " << c;
    }
    // The pane as seen: the HDR radiance that tone-maps back to its transmission, dimmed by the
    // same share in every channel.
    glm::vec4 seen = readFloats(renderer.hdrBuffer, GL_COLOR_ATTACHMENT0,
                                width * height)[(height / 2) * width + width / 2];
    float share = seen.r / inverseToneMap(transmission.r);
    for (int c = 1; c < 3; ++c) {
        EXPECT_NEAR(seen[c] / inverseToneMap(transmission[c]), share, 0.01f * share)
            << "pane as seen, channel " << c;
    }
}

TEST_F(KnownAnswersGLTest, LightFallsOffSmoothlyToZeroAtItsRadius) {
    // A floor wider than the light's reach, lit from 3 units above it, nothing else.
    Mesh* wide = makeMesh(quadTriangles({-16, 0, -16}, {-16, 0, 16}, {16, 0, 16}, {16, 0, -16}),
                          glm::vec4(0.7f, 0.7f, 0.7f, 1.0f));
    std::vector<SceneObject*> objects = test.scene->opaqueObjects;
    std::vector<Mesh*> floor = objects[0]->meshes;
    objects[0]->meshes = {wide};
    test.scene->opaqueObjects = {objects[0]};
    litByTheLightAlone();
    const int width = 320;
    const int height = 240;
    const int count = width * height;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    lookAt(glm::vec3(0.0f, 40.0f, 0.01f), glm::vec3(0.0f));
    const Light& light = *test.scene->lights[0];
    const float radius = light.radius();
    RenderSettings::lightMode = AMBIENT_DIFFUSE;
    renderFrame(renderer, test.scene);
    std::vector<glm::vec4> lit = readFloats(renderer.hdrBuffer, GL_COLOR_ATTACHMENT0, count);
    std::vector<glm::vec4> position = readFloats(renderer.gBuffer, GL_COLOR_ATTACHMENT0, count);
    std::vector<glm::vec4> albedo = readFloats(renderer.gBuffer, GL_COLOR_ATTACHMENT2, count);
    // The same frame without the lamp: what the ambient term and the drum's daylight give.
    std::vector<Light*> lights = test.scene->lights;
    test.scene->lights.clear();
    renderFrame(renderer, test.scene);
    test.scene->lights = lights;
    std::vector<glm::vec4> unlit = readFloats(renderer.hdrBuffer, GL_COLOR_ATTACHMENT0, count);
    objects[0]->meshes = floor;
    test.scene->opaqueObjects = objects;
    delete wide;

    // The light's fall-off at each floor pixel, its contribution over albedo, colour and cosine,
    // averaged with the pixels' distances in rings of radius / 64 around the light.
    const int rings = 64;
    std::vector<glm::dvec3> sums(rings, glm::dvec3(0.0)); // distance, fall-off, pixels
    int beyond = 0;
    for (int i = 0; i < count; ++i) {
        if (position[i].w != 1.0f) {
            continue;
        }
        glm::vec3 toLight = light.position - glm::vec3(position[i]);
        float d = glm::length(toLight);
        float contribution = lit[i].g - unlit[i].g;
        if (d >= radius) {
            ++beyond;
            ASSERT_EQ(contribution, 0.0f) << "at " << d << " beyond the radius " << radius;
            continue;
        }
        float cosine = toLight.y / d;
        sums[static_cast<int>(d / radius * rings)] +=
            glm::dvec3(d, contribution / (albedo[i].g * light.color.g * cosine), 1.0);
    }
    ASSERT_GT(beyond, 1000) << "the floor reaches beyond the radius";
    // From a quarter of the radius out (the floor starts 3 units below the light): monotonic,
    // with a slope that only flattens outwards (a steeper part further out is a ring), down to
    // nothing at the radius.
    std::vector<glm::dvec2> ring;
    for (int r = rings / 4; r < rings; ++r) {
        ASSERT_GE(sums[r].z, 20.0) << "ring " << r;
        ring.emplace_back(sums[r].x / sums[r].z, sums[r].y / sums[r].z);
    }
    double previous = 0.0;
    for (size_t r = 0; r + 1 < ring.size(); ++r) {
        double slope = (ring[r].y - ring[r + 1].y) / (ring[r + 1].x - ring[r].x);
        EXPECT_GE(slope, -1e-4) << "brighter again at " << ring[r + 1].x << " from the light";
        if (r > 0) {
            EXPECT_LE(slope, 1.1 * previous + 1e-4)
                << "steeper at " << ring[r + 1].x << " from the light than before";
        }
        previous = slope;
    }
    EXPECT_LT(ring.back().y, 0.01 * ring.front().y);
}

TEST_F(KnownAnswersGLTest, SpecularIsNormalisedBlinnPhongWithFresnelWeighedByTheCosine) {
    litByTheLightAlone();
    const int width = 160;
    const int height = 120;
    const int count = width * height;
    Renderer renderer(width, height);
    renderer.init(test.scene->lights);
    // The light's mirror image in the floor at (0, 0, 2) in view.
    const glm::vec3 eye(0.0f, 3.0f, 4.0f);
    lookAt(eye, glm::vec3(0.0f, 0.0f, 2.0f));
    std::vector<std::vector<glm::vec4>> lit;
    for (LightMode mode : {AMBIENT_DIFFUSE_SPECULAR, AMBIENT_DIFFUSE, AMBIENT}) {
        RenderSettings::lightMode = mode;
        renderFrame(renderer, test.scene);
        lit.push_back(readFloats(renderer.hdrBuffer, GL_COLOR_ATTACHMENT0, count));
    }
    std::vector<glm::vec4> position = readFloats(renderer.gBuffer, GL_COLOR_ATTACHMENT0, count);
    std::vector<glm::vec4> albedo = readFloats(renderer.gBuffer, GL_COLOR_ATTACHMENT2, count);

    const glm::vec3 lightPosition = test.scene->lights[0]->position;
    int highlight = 0;
    for (int i = 0; i < count; ++i) {
        if (position[i].w != 1.0f || position[i].y != 0.0f) {
            continue;
        }
        glm::vec3 p(position[i]);
        glm::vec3 l = glm::normalize(lightPosition - p);
        glm::vec3 v = glm::normalize(eye - p);
        glm::vec3 h = glm::normalize(l + v);
        float fresnel = 0.04f + 0.96f * std::pow(1.0f - glm::dot(v, h), 5.0f);
        float lobe = (32.0f + 8.0f) / 8.0f * std::pow(std::max(h.y, 0.0f), 32.0f);
        // The light reaching the floor there, cosine included: the diffuse term over the albedo.
        float light = (lit[1][i].g - lit[2][i].g) / albedo[i].g;
        float expected = fresnel * lobe * light;
        float specular = lit[0][i].g - lit[1][i].g;
        highlight += expected > 0.01f ? 1 : 0;
        ASSERT_NEAR(specular, expected, 0.02f * expected + 2e-3f * lit[0][i].g)
            << "floor at (" << p.x << ", " << p.z << ")";
    }
    EXPECT_GT(highlight, 50);
}
