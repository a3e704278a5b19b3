#include "tests/e2e/event_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace scurrow::e2e {

EventFile::EventFile(const std::string& path) : file_(std::fopen(path.c_str(), "a")) {
  if (file_ == nullptr) {
    throw std::runtime_error("Cannot open the event file '" + path + "': " + std::strerror(errno));
  }
}

EventFile::~EventFile() { std::fclose(file_); }

void EventFile::Write(const std::string& text) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start_)
                      .count();
  std::fprintf(file_, "%lld %s\n", static_cast<long long>(ms), text.c_str());
  std::fflush(file_);
}

}  // namespace scurrow::e2e
