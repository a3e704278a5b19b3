#pragma once

namespace scurrow {

// Sends standard error to the null device for its lifetime. System libraries
// print their own noise there when a display or a sound card is missing
// (Wayland's client library, ALSA); SDL keeps the reason for our one-line
// report in SDL_GetError.
class QuietStandardError {
 public:
  QuietStandardError();
  ~QuietStandardError();
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace scurrow
