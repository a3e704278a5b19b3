#include "shell/open_file.h"

namespace scurrow {

std::FILE* OpenForReading(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "rb");
}

}  // namespace scurrow
