// The file access the model importer goes through. It reads files as the importer's own default
// does, except that an OBJ material library (.mtl) is handed over without the statements that
// stand before its first "newmtl": they belong to no material, and the importer of the installed
// assimp writes them through a null material and crashes the process instead of ignoring them.
#pragma once

#include <assimp/DefaultIOSystem.h>

#include <string>

class ModelFileSystem : public Assimp::DefaultIOSystem {
public:
    Assimp::IOStream* Open(const char* file, const char* mode) override;

    // The material library text without the statements before its first "newmtl" line; text
    // in which nothing precedes the first "newmtl" but blank lines and comments is unchanged.
    static std::string withoutOrphanStatements(const std::string& text);
};
