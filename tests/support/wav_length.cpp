#include "tests/support/wav_length.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "shell/runtime_error.h"

namespace scurrow::testing {
namespace {

uint32_t Little(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw RuntimeError(ErrorNumber::kFileNotFound,
                     "Cannot load sound file '" + path + "': " + reason);
}

}  // namespace

int64_t WavLengthMs(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) Fail(path, "No such file");
  std::ifstream in(path, std::ios::binary);
  unsigned char header[12];
  if (!in.read(reinterpret_cast<char*>(header), 12) || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    Fail(path, "not a WAV file");
  }
  uint32_t bytesPerSecond = 0;
  while (true) {
    unsigned char chunk[8];
    if (!in.read(reinterpret_cast<char*>(chunk), 8)) Fail(path, "no sound data");
    const uint32_t size = Little(chunk + 4, 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      unsigned char format[16];
      if (size < 16 || !in.read(reinterpret_cast<char*>(format), 16)) Fail(path, "bad format");
      bytesPerSecond = Little(format + 8, 4);
      in.seekg(size - 16 + (size & 1), std::ios::cur);
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (bytesPerSecond == 0 || size == 0) Fail(path, "no sound data");
      return static_cast<int64_t>(size) * 1000 / bytesPerSecond;
    } else {
      in.seekg(size + (size & 1), std::ios::cur);
    }
  }
}

}  // namespace scurrow::testing
