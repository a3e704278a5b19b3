#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace scurrow::e2e {

// A text file that gets one line per event, "<ms since start> <text>", each
// flushed at once so that a test can read the file while the program runs.
class EventFile {
 public:
  // Throws std::runtime_error when the file cannot be opened.
  explicit EventFile(const std::string& path);
  ~EventFile();
  EventFile(const EventFile&) = delete;
  EventFile& operator=(const EventFile&) = delete;

  void Write(const std::string& text);

 private:
  std::FILE* file_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace scurrow::e2e
