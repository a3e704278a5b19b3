#include "tests/support/wav_writer.h"

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>
#include <system_error>

namespace scurrow::testing {
namespace {

constexpr size_t kHeaderBytes = 44;  // RIFF, WAVE, a 16-byte fmt chunk, data

void Put(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const char* text) {
  out.insert(out.end(), text, text + std::strlen(text));
}

void PutSample(std::vector<uint8_t>& out, const WavFormat& format, double value) {
  if (format.tag == WavFormat::kFloat) {
    const float sample = static_cast<float>(value);
    uint32_t bits = 0;
    std::memcpy(&bits, &sample, sizeof bits);
    Put(out, bits, 4);
    return;
  }
  if (format.bits == 8) {
    Put(out, static_cast<uint8_t>(std::lround(128 + value * 127)), 1);
    return;
  }
  const double full = std::ldexp(1.0, format.bits - 1) - 1;
  const int64_t sample = std::llround(value * full);
  Put(out, static_cast<uint64_t>(sample), format.bits / 8);
}

// The header of a file whose data chunk holds `dataBytes`.
std::vector<uint8_t> Header(const WavFormat& format, uint32_t dataBytes) {
  const bool extensible = format.tag == WavFormat::kExtensible;
  const uint32_t fmtBytes = extensible ? 40 : 16;
  const uint16_t blockAlign = static_cast<uint16_t>(format.channels * format.bits / 8);
  std::vector<uint8_t> out;
  PutText(out, "RIFF");
  Put(out, static_cast<uint32_t>(4 + 8 + fmtBytes + 8 + uint64_t{dataBytes}), 4);
  PutText(out, "WAVEfmt ");
  Put(out, fmtBytes, 4);
  Put(out, format.tag, 2);
  Put(out, format.channels, 2);
  Put(out, format.rate, 4);
  Put(out, format.rate * blockAlign, 4);
  Put(out, blockAlign, 2);
  Put(out, format.bits, 2);
  if (extensible) {
    Put(out, 22, 2);                               // extension size
    Put(out, format.bits, 2);                      // valid bits per sample
    Put(out, format.channels == 6 ? 0x3F : 0, 4);  // front L, R, centre, LFE, back L, R
    Put(out, WavFormat::kPcm, 2);                  // sub-format GUID: PCM
    const uint8_t guidTail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    out.insert(out.end(), std::begin(guidTail), std::end(guidTail));
  }
  PutText(out, "data");
  Put(out, dataBytes, 4);
  return out;
}

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(count);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

std::vector<uint8_t> ReadOrTone(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error) &&
      std::filesystem::file_size(path, error) > kHeaderBytes) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  return ToneWav(PlainFormat(), 500);
}

// Offset of the data chunk's size field in a file that ReadOrTone gave.
size_t DataSizeOffset(const std::vector<uint8_t>& wav) {
  for (size_t offset = 12; offset + 8 <= wav.size();) {
    const uint32_t size = wav[offset + 4] | wav[offset + 5] << 8 | wav[offset + 6] << 16 |
                          static_cast<uint32_t>(wav[offset + 7]) << 24;
    if (std::memcmp(&wav[offset], "data", 4) == 0) return offset + 4;
    offset += 8 + size + (size & 1);
  }
  throw std::runtime_error("the file to damage has no data chunk");
}

}  // namespace

std::vector<uint8_t> ToneWav(const WavFormat& format, int ms) {
  const uint32_t frames = static_cast<uint32_t>(uint64_t{format.rate} * ms / 1000);
  const uint32_t dataBytes = frames * format.channels * format.bits / 8;
  std::vector<uint8_t> out = Header(format, dataBytes);
  out.reserve(out.size() + dataBytes + 1);
  const double step = 2 * std::numbers::pi * kTonePitch / format.rate;
  for (uint32_t i = 0; i < frames; ++i) {
    const double value = kToneAmplitude * std::sin(step * i);
    for (int c = 0; c < format.channels; ++c) PutSample(out, format, value);
  }
  if (dataBytes & 1) out.push_back(0);  // RIFF pads odd chunks
  return out;
}

WavFormat PlainFormat() { return {"16-bit mono 44.1 kHz"}; }

std::vector<WavFormat> UnusualFormats() {
  return {{"8-bit unsigned", WavFormat::kPcm, 1, 22050, 8},
          {"24-bit", WavFormat::kPcm, 2, 44100, 24},
          {"32-bit float", WavFormat::kFloat, 1, 48000, 32},
          {"8 kHz", WavFormat::kPcm, 1, 8000, 16},
          {"six channels", WavFormat::kExtensible, 6, 44100, 16}};
}

void PrintTo(const WavFormat& format, std::ostream* out) { *out << format.name; }
void PrintTo(const DamageKind& kind, std::ostream* out) { *out << kind.name; }

const std::vector<DamageKind>& DamageKinds() {
  static const std::vector<DamageKind> kinds = {
      {Damage::kMissing, "missing", "No such file or directory"},
      {Damage::kEmpty, "empty", "the file is empty"},
      {Damage::kHeaderOnly, "header-only", "the file is cut short"},
      {Damage::kNoSamples, "no-samples", "the file holds no sound"},
      {Damage::kTruncated, "truncated", "the file is cut short"},
      {Damage::kRandomBytes, "random-bytes", "not a WAV file"},
      {Damage::kMpegNoise, "mpeg-noise", "not a WAV file"},
      {Damage::kDirectory, "directory", "is a directory"},
      {Damage::kOverclaim, "overclaim", "the file is cut short"},
      {Damage::kNamedPipe, "named-pipe", "not a regular file"}};
  return kinds;
}

const DamageKind& DamageKindNamed(const std::string& name) {
  for (const DamageKind& kind : DamageKinds()) {
    if (kind.name == name) return kind;
  }
  throw std::invalid_argument("unknown kind of damage '" + name + "'");
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteDamaged(const std::filesystem::path& path, Damage damage) {
  std::vector<uint8_t> wav = ReadOrTone(path);
  std::filesystem::remove_all(path);
  const size_t dataSize = DataSizeOffset(wav);
  switch (damage) {
    case Damage::kMissing:
      return;
    case Damage::kEmpty:
      WriteBytes(path, {});
      return;
    case Damage::kHeaderOnly:
      wav.resize(dataSize + 4);
      WriteBytes(path, wav);
      return;
    case Damage::kNoSamples:
      wav.resize(dataSize + 4);
      std::fill(wav.end() - 4, wav.end(), 0);
      WriteBytes(path, wav);
      return;
    case Damage::kTruncated:
      // Halfway through the samples, and inside a sample.
      wav.resize(dataSize + 4 + (wav.size() - dataSize - 4) / 2 + 1);
      WriteBytes(path, wav);
      return;
    case Damage::kRandomBytes:
      WriteBytes(path, RandomBytes(4096, 1));
      return;
    case Damage::kMpegNoise: {
      // MPEG-1 layer III frames of 417 bytes: a header, then noise.
      std::vector<uint8_t> bytes;
      const std::vector<uint8_t> noise = RandomBytes(40 * 413, 7);
      for (int frame = 0; frame < 40; ++frame) {
        bytes.insert(bytes.end(), {0xFF, 0xFB, 0x90, 0x64});
        bytes.insert(bytes.end(), noise.begin() + frame * 413, noise.begin() + (frame + 1) * 413);
      }
      WriteBytes(path, bytes);
      return;
    }
    case Damage::kDirectory:
      std::filesystem::create_directory(path);
      return;
    case Damage::kOverclaim:
      // The chunk sizes say 2 GB; the file is as long as it was.
      for (int i = 0; i < 4; ++i) wav[dataSize + i] = i == 3 ? 0x7F : 0xF0;
      for (int i = 0; i < 4; ++i) wav[4 + i] = i == 3 ? 0x7F : 0xFF;
      WriteBytes(path, wav);
      return;
    case Damage::kNamedPipe:
      if (mkfifo(path.c_str(), 0600) != 0) {
        throw std::system_error(errno, std::generic_category(), "mkfifo " + path.string());
      }
      return;
  }
}

}  // namespace scurrow::testing
