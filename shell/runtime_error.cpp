#include "shell/runtime_error.h"

namespace scurrow {

std::string RuntimeError::Report() const {
  return "Run-time error " + std::to_string(static_cast<int>(number_)) + ": " + what();
}

std::string RuntimeError::ForPlayer() const {
  if (!forPlayer_.empty()) return forPlayer_;
  return std::string("Scurrow has stopped because something went wrong: ") + what() + ".";
}

}  // namespace scurrow
