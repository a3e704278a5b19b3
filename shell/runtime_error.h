#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace scurrow {

// Error numbers carried by a RuntimeError; the values follow the classic
// BASIC run-time error numbers so that a report reads familiarly.
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

// A failing platform call or an arithmetic overflow. Only the cell test of the
// game traps it; anywhere else it ends the program with a report.
class RuntimeError : public std::runtime_error {
 public:
  // `forPlayer` says in plain words what failed and, where it can, what to do about it.
  RuntimeError(ErrorNumber number, const std::string& text, std::string forPlayer = "")
      : std::runtime_error(text), number_(number), forPlayer_(std::move(forPlayer)) {}

  ErrorNumber Number() const { return number_; }
  // "Run-time error 53: <text>", the line for standard error.
  std::string Report() const;
  // The message for the player's dialog.
  std::string ForPlayer() const;

 private:
  ErrorNumber number_;
  std::string forPlayer_;
};

// Thrown by ending the program. It unwinds every procedure that waits in the
// event pump, at any depth, up to the shell's top level. It deliberately does
// not derive from RuntimeError (nor std::exception) so that no trap swallows it.
struct ProgramEnd {};

}  // namespace scurrow
