// Linux and the other POSIX desktops.
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "shell/desktop_words.h"
#include "shell/platform.h"

namespace scurrow::platform {

// Standard error is unbuffered: nothing waits in it to be written first.
QuietStandardError::QuietStandardError() {
  saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
  if (null >= 0) close(null);
}

QuietStandardError::~QuietStandardError() {
  if (saved_ < 0) return;
  dup2(saved_, STDERR_FILENO);
  close(saved_);
}

std::FILE* OpenForReading(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "rb");
}

namespace {

constexpr char kTitle[] = "Scurrow error";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// True when zenity showed its dialog. It exits with 1 both when the player closes the dialog and
// when GTK cannot open the display; only the second says "cannot open display" on its standard
// error, which goes to a file rather than to ours (GTK's warnings would break our one line).
bool ShowWithZenity(const char* message) {
  const std::unique_ptr<std::FILE, FileCloser> errors(std::tmpfile());
  if (!errors) return false;
  const std::string text = std::string("--text=") + message;
  const char* const argv[] = {"zenity",      "--error",    "--title", kTitle,
                              "--no-markup", text.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fileno(errors.get()), STDERR_FILENO);
  pid_t child = 0;
  const int spawned =
      posix_spawnp(&child, "zenity", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return false;  // 127: no zenity
  std::string said;
  std::rewind(errors.get());
  for (int c; (c = std::fgetc(errors.get())) != EOF;) said += static_cast<char>(c);
  return said.find("cannot open display") == std::string::npos;
}

}  // namespace

// zenity's dialog where it can show one, since screen readers read it; SDL's own box otherwise.
void ShowErrorDialog(const char* message) noexcept {
  try {
    if (ShowWithZenity(message)) return;
  } catch (...) {
    // Out of memory: SDL's box still may be shown.
  }
  // SDL tries zenity itself on the way to its X11 box, and lets GTK speak on our standard error.
  QuietStandardError quiet;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kTitle, message, nullptr);
}

const Advice kAdvice = SCURROW_DESKTOP_ADVICE("install Scurrow again");
const char kOutOfMemoryMessage[] = "Scurrow has stopped: " SCURROW_DESKTOP_OUT_OF_MEMORY;

// 5.8 ms: through PulseAudio and PipeWire a cue reaches the sink 5 to 21 ms sooner than at 512.
const int kMixerFrames = 256;

// PulseAudio's own library (also pipewire-pulse's clients) reads this as the stream's target
// latency; SDL alone asks for one mixer period, which a busy machine cannot keep filled, and
// 12 ms cut the dropouts about twentyfold while a cue still reaches the sink within 20 ms.
void AskServerForBuffer() { setenv("PULSE_LATENCY_MSEC", "12", 0); }

void SoundStarted(const std::string&) {}

void YieldToSystem() {}

}  // namespace scurrow::platform
