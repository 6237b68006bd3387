// ScratchDirectory: mkdtemp under the system temp folder, removal on destruction.
#include "ScratchDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    std::string pattern = (base / "cathedral-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (error || mkdtemp(name.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a scratch directory under " << base;
        return;
    }
    path = name.data();
}

ScratchDirectory::~ScratchDirectory() {
    if (!path.empty()) {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
}

std::string ScratchDirectory::file(const std::string& relative) const {
    return path + "/" + relative;
}

void ScratchDirectory::write(const std::string& relative, const std::string& content) const {
    std::ofstream(file(relative), std::ios::binary | std::ios::trunc) << content;
}

std::string ScratchDirectory::read(const std::string& relative) const {
    std::ifstream in(file(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
