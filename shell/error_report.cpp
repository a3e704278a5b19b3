#include "shell/error_report.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <new>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace scurrow {
namespace {

constexpr char kTitle[] = "Scurrow error";

#ifndef _WIN32
// False when zenity is not installed or could not show its dialog (no display, say).
bool ShowWithZenity(const std::string& message) {
  const std::string text = "--text=" + message;
  const char* const argv[] = {"zenity",      "--error",    "--title", kTitle,
                              "--no-markup", text.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // GTK's own warnings would break the report's one line on standard error.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned =
      posix_spawnp(&child, "zenity", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // 0 and 1 are the player's answers (OK, closed); 127 is no zenity, 255 no dialog.
  return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}
#endif

}  // namespace

RuntimeError CurrentFailure() {
  try {
    throw;
  } catch (const RuntimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RuntimeError(ErrorNumber::kOutOfMemory, "Out of memory",
                        "Scurrow has stopped: the computer ran out of memory. Close some "
                        "programs, then start Scurrow again.");
  } catch (const std::exception& error) {
    return RuntimeError(ErrorNumber::kInternalError, error.what());
  } catch (...) {
    return RuntimeError(ErrorNumber::kInternalError, "Unknown failure");
  }
}

void ReportUntrappedError(const RuntimeError& error, bool displayAvailable) {
  std::fprintf(stderr, "Scurrow: %s\n", error.Report().c_str());
  std::fflush(stderr);
  if (!displayAvailable) return;
  const std::string message = error.ForPlayer();
#ifndef _WIN32
  if (ShowWithZenity(message)) return;
#endif
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kTitle, message.c_str(), nullptr);
}

}  // namespace scurrow
