#include "tests/e2e/logging_sound.h"

#include <exception>
#include <filesystem>
#include <type_traits>

namespace scurrow::e2e {

template <typename Call>
auto LoggingAudioDevice::Logged(const std::string& what, Call call) {
  try {
    if constexpr (std::is_void_v<decltype(call())>) {
      call();
      events_.Write(what);
    } else {
      auto result = call();
      events_.Write(what);
      return result;
    }
  } catch (const std::exception& error) {
    events_.Write("failed " + what + ": " + error.what());
    throw;
  }
}

std::string LoggingAudioDevice::NameOf(BufferId buffer) const {
  const auto found = names_.find(buffer);
  return found != names_.end() ? found->second : "buffer " + std::to_string(buffer);
}

void LoggingAudioDevice::CreateRoot() {
  Logged("create root", [&] { inner_.CreateRoot(); });
}

void LoggingAudioDevice::OpenDevice() {
  Logged("open device", [&] { inner_.OpenDevice(); });
}

void LoggingAudioDevice::BindToWindow(WindowHandle window) {
  Logged("bind to window " + std::to_string(window), [&] { inner_.BindToWindow(window); });
}

BufferId LoggingAudioDevice::Load(const std::string& path) {
  const BufferId buffer = Logged("load " + path, [&] { return inner_.Load(path); });
  names_[buffer] = std::filesystem::path(path).filename().string();
  lastPlaying_.erase(buffer);
  return buffer;
}

void LoggingAudioDevice::PlayOnce(BufferId buffer) {
  Logged("play once " + NameOf(buffer), [&] { inner_.PlayOnce(buffer); });
}

void LoggingAudioDevice::PlayLooping(BufferId buffer) {
  Logged("play looping " + NameOf(buffer), [&] { inner_.PlayLooping(buffer); });
}

void LoggingAudioDevice::Stop(BufferId buffer) {
  Logged("stop " + NameOf(buffer), [&] { inner_.Stop(buffer); });
}

void LoggingAudioDevice::Rewind(BufferId buffer) {
  Logged("rewind " + NameOf(buffer), [&] { inner_.Rewind(buffer); });
}

bool LoggingAudioDevice::IsPlaying(BufferId buffer) {
  bool playing = false;
  try {
    playing = inner_.IsPlaying(buffer);
  } catch (const std::exception& error) {
    events_.Write("failed is playing " + NameOf(buffer) + ": " + error.what());
    throw;
  }
  const auto last = lastPlaying_.find(buffer);
  if (last == lastPlaying_.end() || last->second != playing) {
    lastPlaying_[buffer] = playing;
    events_.Write((playing ? "playing " : "not playing ") + NameOf(buffer));
  }
  return playing;
}

void LoggingAudioDevice::Release(BufferId buffer) {
  Logged("release " + NameOf(buffer), [&] { inner_.Release(buffer); });
}

void LoggingAudioDevice::ReleaseDevice() {
  Logged("release device", [&] { inner_.ReleaseDevice(); });
}

void LoggingAudioDevice::ReleaseRoot() {
  Logged("release root", [&] { inner_.ReleaseRoot(); });
}

void LoggingFilePlayer::PlayAndWait(const std::string& fileName) {
  events_.Write("speak " + fileName);
  try {
    inner_.PlayAndWait(fileName);
  } catch (const std::exception& error) {
    events_.Write("failed speak " + fileName + ": " + error.what());
    throw;
  }
  events_.Write("spoken " + fileName);
}

}  // namespace scurrow::e2e
