// The generated assets through the demo's own loaders: every mesh of the three models gets its
// buffers and the textures its material names, nothing is reported missing, the panes keep
// their translucency, and the flame loads as a multi-page animation with transparent texels.
#include "OutputCapture.h"
#include "gpu/Mesh.h"
#include "gpu/Texture.h"
#include "render/AnimatedTextureTechnique.h"

#include "GLTestContext.h"

#include <string>
#include <vector>

namespace {

class AssetLoadGLTest : public GLTest {};

std::vector<Mesh*> loadQuietly(const std::string& path, std::string& output) {
    std::vector<Mesh*> meshes;
    output = captureOutput([&] { meshes = Mesh::load(path); });
    return meshes;
}

int texturedCount(const std::vector<Mesh*>& meshes, bool bump) {
    int n = 0;
    for (Mesh* m : meshes) {
        n += (bump ? m->bumpMapTexture : m->colorTexture) != nullptr ? 1 : 0;
    }
    return n;
}

TEST_F(AssetLoadGLTest, ModelsLoadWithEveryTheirTexture) {
    std::string out;
    std::vector<Mesh*> shell = loadQuietly("Assets/sibenik-cathedral-vray-noWindows.obj", out);
    EXPECT_EQ(out.find("not found"), std::string::npos) << out;
    EXPECT_EQ(out.find("Could not import"), std::string::npos) << out;
    // Six materials, each split into spatial chunks; only the dark stone is untextured.
    ASSERT_GT(shell.size(), 6u);
    int untextured = int(shell.size()) - texturedCount(shell, false);
    EXPECT_GE(untextured, 1);
    EXPECT_EQ(texturedCount(shell, true), texturedCount(shell, false));
    for (Mesh* m : shell) {
        EXPECT_GT(m->boundsRadius, 0.0f);
        EXPECT_LT(m->boundsRadius, 30.0f) << "a chunk spans the whole cathedral";
        EXPECT_NE(m->uvBuffer, 0u);
        EXPECT_NE(m->normalBuffer, 0u);
        EXPECT_GT(m->numFaces, 0u);
        EXPECT_FLOAT_EQ(m->color.a, 1.0f);
    }

    std::vector<Mesh*> windows = loadQuietly("Assets/sibenik-cathedral-vray-Windows.obj", out);
    EXPECT_EQ(out.find("not found"), std::string::npos) << out;
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(texturedCount(windows, false), 2);
    for (Mesh* m : windows) {
        EXPECT_LT(m->color.a, 1.0f);
        EXPECT_GT(m->color.a, 0.2f);
    }

    std::vector<Mesh*> chandelier = loadQuietly("Assets/zardinjera.obj", out);
    EXPECT_EQ(out.find("not found"), std::string::npos) << out;
    ASSERT_EQ(chandelier.size(), 3u);
    EXPECT_EQ(texturedCount(chandelier, false), 1);
    EXPECT_EQ(texturedCount(chandelier, true), 1);
}

TEST_F(AssetLoadGLTest, FlameLoadsAsTransparentAnimation) {
    AnimatedTextureTechnique* flame = nullptr;
    captureOutput([&] { flame = AnimatedTextureTechnique::loadGif("Assets/fire_anim.gif"); });
    ASSERT_NE(flame, nullptr);
    ASSERT_GE(flame->frameCount, 24);
    EXPECT_NEAR(flame->duration, flame->frameCount * 0.04f, 1e-5f);
    // The uploaded pages: corner texel transparent, centre-bottom texel opaque and bright.
    for (int page : {0, flame->frameCount / 2, flame->frameCount - 1}) {
        glBindTexture(GL_TEXTURE_2D, flame->frames[page]);
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        ASSERT_GT(w * h, 0);
        std::vector<unsigned char> px(size_t(w) * size_t(h) * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        EXPECT_EQ(px[3], 0) << "page " << page;
        size_t core = (size_t(h) / 5 * size_t(w) + size_t(w) / 2) * 4;
        EXPECT_EQ(px[core + 3], 255) << "page " << page;
        EXPECT_GT(px[core] + px[core + 1], 400) << "page " << page;
    }
}

} // namespace
