#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace rollbite {

// A whole file as text, or an empty text when it cannot be read.
inline std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Writes (or replaces) a file with `text`; false when it could not be written whole (a full disk).
inline bool writeWholeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return !file.fail();
}

} // namespace rollbite
