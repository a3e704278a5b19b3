#include "shell/open_file.h"

namespace scurrow {

// The narrow fopen takes ANSI names on Windows; the wide one takes them all.
std::FILE* OpenForReading(const std::filesystem::path& path) {
  return _wfopen(path.c_str(), L"rb");
}

}  // namespace scurrow
