#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace scurrow {

// Sends standard error to /dev/null for its lifetime. System libraries print
// their own noise there when a display or a sound card is missing (Wayland's
// client library, ALSA); SDL keeps the reason for our one-line report in
// SDL_GetError.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace scurrow
