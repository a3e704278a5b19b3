// A sound device that cannot be opened: one reason in the error, and none of
// the sound library's own complaints on standard error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "shell/runtime_error.h"
#include "sound/sdl_audio_device.h"

namespace scurrow::reliability {
namespace {

// Sends standard error to a file until Stop, then returns what it got.
class StandardErrorCapture {
 public:
  StandardErrorCapture()
      : path_(std::filesystem::temp_directory_path() /
              ("scurrow-stderr-" + std::to_string(getpid()))) {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int file = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, STDERR_FILENO);
    close(file);
  }
  ~StandardErrorCapture() { Stop(); }

  std::string Stop() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      dup2(saved_, STDERR_FILENO);
      close(saved_);
      saved_ = -1;
    }
    std::ifstream in(path_);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(path_);
    return text;
  }

 private:
  std::filesystem::path path_;
  int saved_ = -1;
};

// Sets an environment variable for its lifetime.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(MissingSoundCard, OpeningFailsWithTheReasonAndNothingOnStandardError) {
  // ALSA with a default device on a card that does not exist: it prints its
  // own lines on standard error as it fails, as on a machine without a card.
  ScopedVariable driver("SDL_AUDIODRIVER", "alsa");
  ScopedVariable configuration("ALSA_CONFIG_PATH", SCURROW_RELIABILITY_DIR "/no-card.conf");
  SdlAudioDevice device;
  device.CreateRoot();

  StandardErrorCapture capture;
  std::string reason;
  try {
    device.OpenDevice();
    ADD_FAILURE() << "the device opened";
  } catch (const RuntimeError& error) {
    reason = error.what();
  }
  // Standard error works again afterwards, into the capture as before.
  std::fprintf(stderr, "after\n");
  EXPECT_EQ(capture.Stop(), "after\n");
  EXPECT_EQ(reason.rfind("Cannot open the sound device: ALSA: ", 0), 0u) << reason;
}

}  // namespace
}  // namespace scurrow::reliability
