#pragma once

#include <cstdio>
#include <filesystem>

namespace scurrow {

// Opens a file for reading in binary mode, whatever characters its path
// holds. Returns nullptr and sets errno when it cannot.
std::FILE* OpenForReading(const std::filesystem::path& path);

}  // namespace scurrow
