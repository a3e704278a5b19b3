#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace scurrow {

// The kind of a failure, as a number for the one-line report on standard error: one number per
// kind, so that reports of the same trouble read alike whatever the text around them.
enum class ErrorNumber : int {
  kInvalidCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kInternalError = 51,
  kFileNotFound = 53,
  kPathNotFound = 76,
  kObjectNotSet = 91,
  kDeviceUnavailable = 429,
};

// What a failure means to the player, who is told it in plain words (see player_message.h).
enum class Trouble {
  kUnexpected,  // nothing the player can put right but by starting again
  kOutOfMemory,
  kNoDisplay,  // no window could be opened
  kNoSoundDevice,
  kMissingFile,  // a sound file is not there
  kDamagedFile,  // a sound file is there but cannot be played
};

// A failing platform call or an arithmetic overflow. Only the cell test of the
// game traps it; anywhere else it ends the program with a report.
class RuntimeError : public std::runtime_error {
 public:
  // `text` names what failed for a developer; `file` is the path of the file that a missing or
  // damaged file's trouble is about.
  RuntimeError(ErrorNumber number, const std::string& text, Trouble trouble = Trouble::kUnexpected,
               std::string file = "")
      : std::runtime_error(text), number_(number), trouble_(trouble), file_(std::move(file)) {}

  Trouble Kind() const { return trouble_; }
  const std::string& File() const { return file_; }
  // "Run-time error 53: <text>", the line for standard error.
  std::string Report() const;

 private:
  ErrorNumber number_;
  Trouble trouble_;
  std::string file_;
};

// Thrown by ending the program. It unwinds every procedure that waits in the
// event pump, at any depth, up to the shell's top level. It deliberately does
// not derive from RuntimeError (nor std::exception) so that no trap swallows it.
struct ProgramEnd {};

}  // namespace scurrow
