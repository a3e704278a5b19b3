#pragma once

#include "shell/runtime_error.h"

namespace scurrow {

// The failure that is being handled, as a runtime error: a runtime error as it is, and any
// other exception (out of memory, say) as the runtime error that stands for it. Call it only
// inside a catch block.
RuntimeError CurrentFailure();

// Tells why the program cannot go on, and returns the exit status for it, 1. Call it only inside
// a catch block. The failure's line goes to standard error, and the player's message to a dialog
// where one can be shown; `startedUp` says whether start-up was over. It never throws: when
// reporting runs out of memory too, fixed words that need none stand in for the report.
int ReportFailure(bool startedUp) noexcept;

}  // namespace scurrow
