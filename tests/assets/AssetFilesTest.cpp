// The generated asset files as the demo imports them: models with their materials and images,
// the budgets that keep software rendering workable, the flame animation, and byte-identical
// output from run to run.
#include "ScratchDirectory.h"
#include "TriangleBvh.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::string shellPath = "Assets/sibenik-cathedral-vray-noWindows.obj";
const std::string windowsPath = "Assets/sibenik-cathedral-vray-Windows.obj";
const std::string chandelierPath = "Assets/zardinjera.obj";
const std::string flamePath = "Assets/fire_anim.gif";

struct Model {
    std::vector<Triangle> triangles;
    std::vector<ImportedMaterial> materials;
    std::set<int> usedMaterials;
};

Model importModel(const std::string& path) {
    Model m;
    EXPECT_TRUE(importTriangles(path, glm::vec3(0), 0, m.triangles, m.materials)) << path;
    for (const Triangle& t : m.triangles) {
        m.usedMaterials.insert(t.surface);
    }
    return m;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ImageInfo {
    bool readable = false;
    unsigned width = 0, height = 0;
    bool anyTranslucent = false;
};

ImageInfo inspectImage(const std::string& path) {
    ImageInfo info;
    FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str(), 0);
    if (fif == FIF_UNKNOWN) {
        return info;
    }
    FIBITMAP* raw = FreeImage_Load(fif, path.c_str(), 0);
    if (raw == nullptr) {
        return info;
    }
    FIBITMAP* bmp = FreeImage_ConvertTo32Bits(raw);
    FreeImage_Unload(raw);
    info.readable = bmp != nullptr;
    info.width = FreeImage_GetWidth(bmp);
    info.height = FreeImage_GetHeight(bmp);
    for (unsigned y = 0; y < info.height && !info.anyTranslucent; ++y) {
        BYTE* line = FreeImage_GetScanLine(bmp, int(y));
        for (unsigned x = 0; x < info.width; ++x) {
            if (line[x * 4 + FI_RGBA_ALPHA] < 250) {
                info.anyTranslucent = true;
                break;
            }
        }
    }
    FreeImage_Unload(bmp);
    return info;
}

bool isPowerOfTwo(unsigned v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// Every material a mesh uses: its images exist, decode, are square-ish powers of two and stay
// within the size budget. Returns how many used materials carry a diffuse and a height map.
void expectImagesOf(const Model& m, int& withDiffuse, int& withHeight, bool& anyTranslucent) {
    withDiffuse = withHeight = 0;
    anyTranslucent = false;
    for (int index : m.usedMaterials) {
        const ImportedMaterial& mat = m.materials[size_t(index)];
        for (const std::string& file : {mat.diffuseMap, mat.heightMap}) {
            if (file.empty()) {
                continue;
            }
            ImageInfo info = inspectImage("Assets/" + file);
            ASSERT_TRUE(info.readable) << file;
            EXPECT_LE(info.width, 1024u) << file;
            EXPECT_LE(info.height, 1024u) << file;
            EXPECT_TRUE(isPowerOfTwo(info.width) && isPowerOfTwo(info.height)) << file;
            if (file == mat.diffuseMap) {
                anyTranslucent = anyTranslucent || info.anyTranslucent;
            }
        }
        withDiffuse += mat.diffuseMap.empty() ? 0 : 1;
        withHeight += mat.heightMap.empty() ? 0 : 1;
    }
}

TEST(AssetFiles, ModelsImportWithTexturedMaterials) {
    Model shell = importModel(shellPath);
    Model windows = importModel(windowsPath);
    Model chandelier = importModel(chandelierPath);
    // One mesh per material: stone (walls, vaults, columns, trim), floor and wood.
    EXPECT_EQ(shell.usedMaterials.size(), 6u);
    EXPECT_EQ(windows.usedMaterials.size(), 3u);
    EXPECT_EQ(chandelier.usedMaterials.size(), 3u);

    int diffuse = 0, height = 0;
    bool translucent = false;
    expectImagesOf(shell, diffuse, height, translucent);
    EXPECT_GE(diffuse, 5);
    EXPECT_GE(height, 5);
    expectImagesOf(chandelier, diffuse, height, translucent);
    EXPECT_GE(diffuse, 1);
    EXPECT_GE(height, 1);
    expectImagesOf(windows, diffuse, height, translucent);
    EXPECT_GE(diffuse, 2);
    EXPECT_TRUE(translucent) << "stained glass images need alpha below one";
    for (int index : windows.usedMaterials) {
        EXPECT_LT(windows.materials[size_t(index)].opacity, 1.0f) << "panes must be see-through";
    }
    for (int index : shell.usedMaterials) {
        EXPECT_EQ(shell.materials[size_t(index)].opacity, 1.0f);
    }
}

// Texture coordinates of the shell follow the surfaces at one repeat per two units: the
// mapping from world to texture space scales by about 0.5 in every direction along each
// textured triangle, so stone courses and tiles are neither stretched nor squashed.
TEST(AssetFiles, ShellTexturesKeepTheirWorldScale) {
    Model shell = importModel(shellPath);
    double total = 0, wellScaled = 0;
    for (const Triangle& t : shell.triangles) {
        if (shell.materials[size_t(t.surface)].diffuseMap.empty()) {
            continue;
        }
        glm::vec3 e1 = t.p[1] - t.p[0], e2 = t.p[2] - t.p[0];
        float area = 0.5f * glm::length(glm::cross(e1, e2));
        if (area < 1e-5f) {
            continue;
        }
        // Orthonormal frame in the triangle's plane, and the 2x2 map from it to uv.
        glm::vec3 x = glm::normalize(e1), y = glm::normalize(glm::cross(glm::cross(e1, e2), e1));
        glm::mat2 world(glm::dot(e1, x), glm::dot(e1, y), glm::dot(e2, x), glm::dot(e2, y));
        glm::mat2 tex(t.uv[1] - t.uv[0], t.uv[2] - t.uv[0]);
        glm::mat2 j = tex * glm::inverse(world);
        // Singular values of j from its Gram matrix.
        glm::mat2 g = glm::transpose(j) * j;
        float tr = g[0][0] + g[1][1], det = glm::determinant(g);
        float disc = std::sqrt(std::max(0.0f, tr * tr / 4 - det));
        float smax = std::sqrt(tr / 2 + disc), smin = std::sqrt(std::max(0.0f, tr / 2 - disc));
        total += area;
        if (smin > 0.3f && smax < 0.75f) {
            wellScaled += area;
        }
    }
    ASSERT_GT(total, 0.0);
    EXPECT_GT(wellScaled / total, 0.97) << "share of textured area near 0.5 uv per unit";
}

TEST(AssetFiles, BudgetsHold) {
    EXPECT_LE(importModel(shellPath).triangles.size(), 60000u);
    EXPECT_LE(importModel(windowsPath).triangles.size(), 5000u);
    EXPECT_LE(importModel(chandelierPath).triangles.size(), 3000u);
    EXPECT_GT(importModel(shellPath).triangles.size(), 2000u) << "a closed box is no cathedral";

    long long total = 0;
    for (const char* name :
         {"sibenik-cathedral-vray-noWindows", "sibenik-cathedral-vray-Windows", "zardinjera"}) {
        for (const char* ext : {".obj", ".mtl"}) {
            struct stat st {};
            ASSERT_EQ(stat((std::string("Assets/") + name + ext).c_str(), &st), 0) << name << ext;
            total += st.st_size;
        }
    }
    std::string flame = readFile(flamePath);
    total += (long long)flame.size();
    EXPECT_LT(total, 30LL * 1024 * 1024);
}

// Per-page RGBA pixels of the animation, decoded the way the demo decodes them.
std::vector<std::vector<BYTE>> flamePages(unsigned& width, unsigned& height) {
    std::vector<std::vector<BYTE>> pages;
    FIMULTIBITMAP* gif =
        FreeImage_OpenMultiBitmap(FIF_GIF, flamePath.c_str(), FALSE, TRUE, FALSE, 0);
    if (gif == nullptr) {
        return pages;
    }
    int count = FreeImage_GetPageCount(gif);
    for (int i = 0; i < count; ++i) {
        FIBITMAP* page = FreeImage_LockPage(gif, i);
        FITAG* tag = nullptr;
        FreeImage_GetMetadata(FIMD_ANIMATION, page, "FrameTime", &tag);
        EXPECT_TRUE(tag != nullptr && *static_cast<const LONG*>(FreeImage_GetTagValue(tag)) == 40)
            << "page " << i << " is not shown for 40 ms (25 pages per second)";
        FIBITMAP* rgba = FreeImage_ConvertTo32Bits(page);
        FreeImage_UnlockPage(gif, page, FALSE);
        width = FreeImage_GetWidth(rgba);
        height = FreeImage_GetHeight(rgba);
        std::vector<BYTE> px(size_t(width) * height * 4);
        for (unsigned y = 0; y < height; ++y) {
            std::copy_n(FreeImage_GetScanLine(rgba, int(y)), width * 4,
                        px.begin() + long(y * width * 4));
        }
        pages.push_back(px);
        FreeImage_Unload(rgba);
    }
    FreeImage_CloseMultiBitmap(gif, 0);
    return pages;
}

double pageDifference(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(int(a[i]) - int(b[i]));
    }
    return sum / double(a.size());
}

TEST(AssetFiles, FlameIsAnUprightLoopOnTransparentPages) {
    unsigned w = 0, h = 0;
    std::vector<std::vector<BYTE>> pages = flamePages(w, h);
    ASSERT_GE(pages.size(), 24u);
    for (const std::vector<BYTE>& px : pages) {
        ASSERT_EQ(px.size(), size_t(w) * h * 4);
        size_t transparent = 0;
        unsigned brightX = 0, brightY = 0, brightest = 0, top = 0;
        for (unsigned y = 0; y < h; ++y) {
            for (unsigned x = 0; x < w; ++x) {
                const BYTE* p = &px[(size_t(y) * w + x) * 4];
                if (p[FI_RGBA_ALPHA] == 0) {
                    ++transparent;
                    continue;
                }
                top = std::max(top, y);
                unsigned lum = p[FI_RGBA_RED] + p[FI_RGBA_GREEN] + p[FI_RGBA_BLUE];
                if (lum > brightest) {
                    brightest = lum;
                    brightX = x;
                    brightY = y;
                }
            }
        }
        EXPECT_EQ(px[FI_RGBA_ALPHA], 0) << "the corner is background";
        EXPECT_GT(transparent, size_t(w) * h / 2);
        EXPECT_GT(brightest, 3u * 230u) << "the core is near white";
        // Core in the lower centre of the page (row 0 is the bottom), the flame below the top.
        EXPECT_NEAR(double(brightX), w / 2.0, w / 8.0);
        EXPECT_LT(brightY, h / 2);
        EXPECT_LT(top, h - h / 8);
    }
    double worstStep = 0;
    for (size_t i = 1; i < pages.size(); ++i) {
        worstStep = std::max(worstStep, pageDifference(pages[i - 1], pages[i]));
    }
    EXPECT_GT(worstStep, 0.0) << "the flame must move";
    EXPECT_LE(pageDifference(pages.back(), pages.front()), worstStep * 1.5)
        << "the loop jumps between the last and the first page";
}

TEST(AssetFiles, GeneratorWritesTheSameBytesEveryRun) {
    ScratchDirectory first, second;
    const std::string a = first.path, b = second.path;
    std::string gen = CATHEDRAL_ASSETGEN;
    ASSERT_EQ(std::system((gen + " " + a + " > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system((gen + " " + b + " > /dev/null").c_str()), 0);
    for (const char* f : {"sibenik-cathedral-vray-noWindows.obj",
                          "sibenik-cathedral-vray-Windows.mtl", "zardinjera.obj", "fire_anim.gif",
                          "stone_wall.png", "glass_rose.png", "floor_tiles_height.png"}) {
        std::string once = readFile(a + "/" + f);
        EXPECT_FALSE(once.empty()) << f;
        EXPECT_EQ(once, readFile(b + "/" + f)) << f << " differs between runs";
        EXPECT_EQ(once, readFile(std::string("Assets/") + f)) << f << " in the build is stale";
    }
}

} // namespace
