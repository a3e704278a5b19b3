#include "shell/error_report.h"

#include <cstdio>
#include <new>

#include "shell/platform.h"
#include "shell/player_message.h"

namespace scurrow {

RuntimeError CurrentFailure() {
  try {
    throw;
  } catch (const RuntimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RuntimeError(ErrorNumber::kOutOfMemory, "Out of memory", Trouble::kOutOfMemory);
  } catch (const std::exception& error) {
    return RuntimeError(ErrorNumber::kInternalError, error.what());
  } catch (...) {
    return RuntimeError(ErrorNumber::kInternalError, "Unknown failure");
  }
}

int ReportFailure(bool startedUp) noexcept {
  try {
    const RuntimeError error = CurrentFailure();
    const std::string line = "Scurrow: " + error.Report() + "\n";
    const std::string message = PlayerMessage(error, startedUp);
    std::fputs(line.c_str(), stderr);  // unbuffered: written at once
    platform::ShowErrorDialog(message.c_str());
  } catch (...) {
    // Only memory can run out here; these words need none of it.
    std::fputs("Scurrow: Run-time error 7: Out of memory\n", stderr);
    platform::ShowErrorDialog(platform::kOutOfMemoryMessage);
  }
  return 1;
}

}  // namespace scurrow
