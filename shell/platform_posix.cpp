// Linux and the other POSIX desktops.
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
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

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

// Whether a server accepts a connection on the unix socket at `path` (without waiting for one
// that is busy), and the name of its process where that can be seen.
bool Answers(const std::string& path, std::string* server = nullptr) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool answered = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ucred peer{};
  socklen_t size = sizeof peer;
  if (answered && server != nullptr && getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0) {
    std::ifstream name("/proc/" + std::to_string(peer.pid) + "/comm");
    std::getline(name, *server);
  }
  close(fd);
  return answered;
}

}  // namespace

// SDL tries PulseAudio before PipeWire, so on a PipeWire desktop the sound went through
// pipewire-pulse, about 10 ms later than through SDL's own PipeWire driver. Where PipeWire answers
// (at the socket its library connects to) and PulseAudio itself does not serve the desktop
// (PipeWire may run beside it for video alone), SDL tries PipeWire first, then its usual drivers.
void ChooseSoundDriver() {
  const std::string runtime = Environment("XDG_RUNTIME_DIR");
  std::string pipewire = Environment("PIPEWIRE_REMOTE");
  if (pipewire.empty()) pipewire = "pipewire-0";
  if (pipewire.front() != '/') {
    const std::string own = Environment("PIPEWIRE_RUNTIME_DIR");
    pipewire = (own.empty() ? runtime : own) + "/" + pipewire;
  }
  if (!Answers(pipewire)) return;
  const std::string pulse = Environment("PULSE_RUNTIME_PATH");
  std::string server;
  if (Answers((pulse.empty() ? runtime + "/pulse" : pulse) + "/native", &server) &&
      server == "pulseaudio") {
    return;
  }
  // A hint of the lowest priority: SDL_AUDIODRIVER in the environment overrides it.
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "pipewire,pulseaudio,alsa", SDL_HINT_DEFAULT);
}

void SoundStarted(const std::string&) {}

void YieldToSystem() {}

}  // namespace scurrow::platform
