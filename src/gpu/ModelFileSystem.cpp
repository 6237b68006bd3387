// ModelFileSystem: material libraries cleaned of statements that belong to no material.
#include "gpu/ModelFileSystem.h"

#include <assimp/IOStream.hpp>
#include <assimp/MemoryIOWrapper.h>

#include <cstring>
#include <strings.h>

namespace {

bool isMaterialLibrary(const std::string& file) {
    return file.size() >= 4 && strcasecmp(file.c_str() + file.size() - 4, ".mtl") == 0;
}

std::string readAll(Assimp::IOStream& stream) {
    std::string text(stream.FileSize(), '\0');
    size_t read = text.empty() ? 0 : stream.Read(&text[0], 1, text.size());
    text.resize(read);
    return text;
}

// Whether the line (with or without its end) is blank or a comment.
bool isBlankOrComment(const std::string& line) {
    size_t first = line.find_first_not_of(" \t\r\n");
    return first == std::string::npos || line[first] == '#';
}

bool startsMaterial(const std::string& line) {
    size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line.compare(first, 6, "newmtl") == 0;
}

} // namespace

std::string ModelFileSystem::withoutOrphanStatements(const std::string& text) {
    std::string kept;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, next - start);
        if (startsMaterial(line)) {
            return kept + text.substr(start);
        }
        if (isBlankOrComment(line)) {
            kept += line;
        }
        start = next;
    }
    return kept;
}

Assimp::IOStream* ModelFileSystem::Open(const char* file, const char* mode) {
    Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
    if (stream == nullptr || !isMaterialLibrary(file)) {
        return stream;
    }
    std::string text = withoutOrphanStatements(readAll(*stream));
    Close(stream);
    // The memory stream owns the copy and frees it with delete[].
    auto* bytes = new uint8_t[text.size() + 1];
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    return new Assimp::MemoryIOStream(bytes, text.size(), true);
}
