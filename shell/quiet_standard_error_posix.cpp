#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "shell/quiet_standard_error.h"

namespace scurrow {

QuietStandardError::QuietStandardError() {
  std::fflush(stderr);
  saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
  if (null >= 0) close(null);
}

QuietStandardError::~QuietStandardError() {
  if (saved_ < 0) return;
  dup2(saved_, STDERR_FILENO);
  close(saved_);
}

}  // namespace scurrow
