// The material-library clean-up the model importer reads through: only what stands before the
// first "newmtl" may change, and only statements go; well-formed files pass byte for byte.
#include "gpu/ModelFileSystem.h"

#include <gtest/gtest.h>

TEST(ModelFileSystemTest, WellFormedLibrariesPassUnchanged) {
    const std::string libraries[] = {
        "newmtl a\nKd 1 0 0\nmap_Kd a.png\n",
        "# comment\n\n  newmtl a\r\nKd 1 1 1\r\n",
        "",
        "   \n# only comments\n",
    };
    for (const std::string& text : libraries) {
        EXPECT_EQ(ModelFileSystem::withoutOrphanStatements(text), text);
    }
}

TEST(ModelFileSystemTest, StatementsBeforeTheFirstMaterialAreDropped) {
    EXPECT_EQ(ModelFileSystem::withoutOrphanStatements(
                  "map_Kd x.png\n# keep\nKd 1 0 0\n\tnewmtl a\nmap_Kd a.png\nnewmtl b\n"),
              "# keep\n\tnewmtl a\nmap_Kd a.png\nnewmtl b\n");
    EXPECT_EQ(ModelFileSystem::withoutOrphanStatements("bump b.png"), "");
    EXPECT_EQ(ModelFileSystem::withoutOrphanStatements("map_Kd x.png\nnewmtl a"), "newmtl a");
}
