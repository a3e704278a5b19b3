#include "shell/runtime_error.h"

namespace scurrow {

std::string RuntimeError::Report() const {
  return "Run-time error " + std::to_string(static_cast<int>(number_)) + ": " + what();
}

}  // namespace scurrow
