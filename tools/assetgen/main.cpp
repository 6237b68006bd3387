// cathedral-assetgen: writes every model and image the demo loads from Assets/ into the
// directory given on the command line, reporting triangle counts and the time taken.
#include "Cathedral.h"
#include "Chandelier.h"
#include "Images.h"
#include "ModelBuilder.h"

#include <FreeImage.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: cathedral-assetgen <output directory>\n");
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);
    FreeImage_Initialise(FALSE);

    ModelBuilder shell, windows, chandelier;
    buildCathedral(shell, windows);
    buildChandelier(chandelier);
    shell.closeCracks();
    windows.closeCracks();
    // Cells well under a lamp's reach (about 13 units), so each cube map skips the far parts.
    shell.chunkSize = 8.0f;
    bool ok = shell.write(dir, "sibenik-cathedral-vray-noWindows");
    ok = windows.write(dir, "sibenik-cathedral-vray-Windows") && ok;
    ok = chandelier.write(dir, "zardinjera") && ok;
    ok = writeMaterialImages(dir) && ok;
    ok = writeFlameAnimation(dir + "/fire_anim.gif", 32) && ok;
    FreeImage_DeInitialise();

    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("assetgen: shell %zu, windows %zu, chandelier %zu triangles in %.2f s\n",
                shell.triangleCount(), windows.triangleCount(), chandelier.triangleCount(),
                seconds);
    if (!ok) {
        std::printf("assetgen: could not write every file into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
