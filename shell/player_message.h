#pragma once

#include <string>

#include "shell/runtime_error.h"

namespace scurrow {

// The words that tell the player why the game ended and what to do about it: no error number and
// no library's jargon, only what a player can act on. `startedUp` says whether start-up was
// over: a failure before that says Scurrow cannot start, a later one that it has stopped.
std::string PlayerMessage(const RuntimeError& error, bool startedUp);

}  // namespace scurrow
