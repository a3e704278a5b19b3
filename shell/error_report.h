#pragma once

#include "shell/runtime_error.h"

namespace scurrow {

// The failure that is being handled, as a runtime error: a runtime error as it is, and any
// other exception (out of memory, say) as the runtime error that stands for it. Call it only
// inside a catch block.
RuntimeError CurrentFailure();

// Tells why the program cannot go on: the error's line on standard error and, where a display
// is available, a dialog with the player's message that waits until it is closed. The dialog
// is zenity's where zenity is installed (screen readers read it), SDL's own box otherwise.
void ReportUntrappedError(const RuntimeError& error, bool displayAvailable);

}  // namespace scurrow
