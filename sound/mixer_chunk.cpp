#include "sound/mixer_chunk.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "shell/platform.h"
#include "shell/utf8_path.h"
#include "sound/default_sound.h"

namespace scurrow {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct StreamCloser {
  void operator()(SDL_RWops* stream) const { SDL_RWclose(stream); }
};

uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Checks what SDL_mixer cannot be trusted with, and returns the reason when
// the file fails: SDL_mixer hands anything but a RIFF WAVE file to its music
// decoders, which turn random bytes into noise, and SDL allocates whatever
// size a data chunk claims before it finds the file too short for it.
std::string CheckWaveLayout(std::FILE* file, uintmax_t fileSize) {
  unsigned char header[12];
  const size_t got = std::fread(header, 1, sizeof header, file);
  if (got == 0 && fileSize == 0) return "the file is empty";
  if (got < sizeof header || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    return "not a WAV file (no RIFF WAVE header)";
  }
  // Walks the chunk headers up to the sound data; anything else wrong with
  // the layout is left to SDL's own checks.
  uintmax_t offset = sizeof header;
  unsigned char chunk[8];
  while (offset + sizeof chunk <= fileSize) {
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(chunk, 1, sizeof chunk, file) != sizeof chunk) {
      break;
    }
    const uintmax_t length = LittleEndian32(chunk + 4);
    const uintmax_t available = fileSize - offset - sizeof chunk;
    if (std::memcmp(chunk, "data", 4) == 0) {
      if (length > available) {
        return "the file is cut short: its sound data should take " + std::to_string(length) +
               " bytes but only " + std::to_string(available) + " are there";
      }
      break;
    }
    offset += sizeof chunk + length + (length & 1);
  }
  std::rewind(file);
  return {};
}

// Decodes the file once with SDL and refuses what SDL_mixer's conversion into the mixer's format
// mishandles. It sizes its buffer as the decoded length times the converter's growth, in an int
// that a long sound at a low rate overflows; short of that, such a sound takes hundreds of MB and
// seconds, so a conversion is held to 64 MB (three minutes of 16-bit mono at 44.1 kHz). It cuts
// more than two channels mid-frame; SDL's resampler overflows near its highest rate and leaves
// the sound unconverted; a float sample that is not a number has no 16-bit value. Below 1 kHz no
// file holds sound, and a few bytes become minutes to resample: seconds of work at 1 Hz.
constexpr uint64_t kMaxConversionBytes = uint64_t{64} << 20;
constexpr int kMaxSampleRate = 384000;
constexpr int kMinSampleRate = 1000;

std::string CheckConversion(SDL_RWops* stream) {
  SDL_AudioSpec decoded;
  Uint8* samples = nullptr;
  Uint32 length = 0;
  if (SDL_LoadWAV_RW(stream, 0, &decoded, &samples, &length) == nullptr) return SDL_GetError();
  const float* floats = reinterpret_cast<const float*>(samples);
  const bool notNumbers =
      decoded.format == AUDIO_F32SYS &&
      std::any_of(floats, floats + length / 4, [](float s) { return std::isnan(s); });
  SDL_FreeWAV(samples);
  if (notNumbers) return "some of its samples are not numbers";
  if (decoded.channels > 2) {
    return "it has " + std::to_string(decoded.channels) +
           " channels: only mono and stereo sounds play";
  }
  if (decoded.freq > kMaxSampleRate) {
    return "its sample rate, " + std::to_string(decoded.freq) + " Hz, is above " +
           std::to_string(kMaxSampleRate) + " Hz";
  }
  int rate = 0, channels = 0;
  Uint16 format = 0;
  SDL_AudioCVT convert;
  if (Mix_QuerySpec(&rate, &format, &channels) == 0) return "no sound device is open";
  const int needed = SDL_BuildAudioCVT(&convert, decoded.format, decoded.channels, decoded.freq,
                                       format, channels, rate);
  if (needed < 0) return SDL_GetError();
  const uint64_t bytes = uint64_t{length} * static_cast<uint64_t>(convert.len_mult);
  if (needed > 0 && bytes > kMaxConversionBytes) {
    return "the sound is too long at " + std::to_string(decoded.freq) +
           " Hz: converting it takes " + std::to_string(bytes >> 20) + " MB, more than " +
           std::to_string(kMaxConversionBytes >> 20) + " MB";
  }
  if (decoded.freq < kMinSampleRate) {
    return "its sample rate, " + std::to_string(decoded.freq) + " Hz, is below " +
           std::to_string(kMinSampleRate) + " Hz";
  }
  // Should the stream not rewind, the load that follows fails and says why.
  SDL_RWseek(stream, 0, RW_SEEK_SET);
  return {};
}

}  // namespace

LoadedChunk LoadChunk(const std::string& path) {
  const auto failed = [](std::string reason) {
    return LoadedChunk{nullptr, std::move(reason), false};
  };
  const std::filesystem::path name = Utf8Path(path);
  // Only a regular file is opened: opening a named pipe would wait for a
  // writer that never comes.
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(name, error);
  if (std::filesystem::is_directory(status)) return failed("is a directory");
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return failed("not a regular file");
  }
  std::unique_ptr<std::FILE, FileCloser> file(platform::OpenForReading(name));
  if (!file) return {nullptr, std::strerror(errno), errno == ENOENT};
  const uintmax_t fileSize = std::filesystem::file_size(name, error);
  std::string reason = error ? error.message() : CheckWaveLayout(file.get(), fileSize);
  if (!reason.empty()) return failed(reason);
  std::unique_ptr<SDL_RWops, StreamCloser> stream(SDL_RWFromFP(file.get(), SDL_TRUE));
  if (!stream) return failed(SDL_GetError());
  file.release();  // the stream closes it now
  reason = CheckConversion(stream.get());
  if (!reason.empty()) return failed(reason);
  ChunkPtr chunk(Mix_LoadWAV_RW(stream.release(), 1));
  if (!chunk) return failed(Mix_GetError());
  if (chunk->alen == 0) return failed("the file holds no sound");
  return {std::move(chunk), {}};
}

ChunkPtr MakeDefaultChunk() {
  const std::vector<uint8_t> wav = DefaultSoundWav();
  return ChunkPtr(Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1));
}

}  // namespace scurrow
