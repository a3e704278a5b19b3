#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace scurrow::testing {

// The sample layout of a WAV file.
struct WavFormat {
  static constexpr uint16_t kPcm = 1;
  static constexpr uint16_t kFloat = 3;
  static constexpr uint16_t kExtensible = 0xFFFE;

  std::string name;
  uint16_t tag = kPcm;
  uint16_t channels = 1;
  uint32_t rate = 44100;
  uint16_t bits = 16;
};

// Peak of the tone that ToneWav writes, as a fraction of full scale.
constexpr double kToneAmplitude = 0.3;
constexpr double kTonePitch = 440.0;

// A complete WAV file holding a steady tone of `ms` milliseconds on every
// channel.
std::vector<uint8_t> ToneWav(const WavFormat& format, int ms);

// 16-bit mono 44.1 kHz, as most sound files are.
WavFormat PlainFormat();
// Valid files of the kinds a player might drop in: 8-bit, 24-bit, 32-bit
// float, 8 kHz, and six channels.
std::vector<WavFormat> UnusualFormats();

// The ways a sound file can be damaged.
enum class Damage {
  kMissing,
  kEmpty,        // zero bytes
  kHeaderOnly,   // a valid header whose samples are not there
  kNoSamples,    // a complete file whose data chunk is empty
  kTruncated,    // cut off inside the sample data
  kRandomBytes,  // noise under a .wav name
  kMpegNoise,    // random bytes behind MPEG audio frame headers
  kDirectory,    // a folder under the file's name
  kOverclaim,    // a data chunk that claims far more than the file holds
  kNamedPipe,    // a FIFO, which would block whoever opens it
};

struct DamageKind {
  Damage damage;
  std::string name;
  // A part of the reason that the loader gives.
  std::string reason;
};

// Names in test output.
void PrintTo(const WavFormat& format, std::ostream* out);
void PrintTo(const DamageKind& kind, std::ostream* out);

const std::vector<DamageKind>& DamageKinds();
// The kind called `name`; throws std::invalid_argument for an unknown name.
const DamageKind& DamageKindNamed(const std::string& name);

// Replaces whatever is at `path` (which may be a valid sound file to start
// from, or nothing) with a file damaged as `damage` says.
void WriteDamaged(const std::filesystem::path& path, Damage damage);

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace scurrow::testing
