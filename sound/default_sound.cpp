#include "sound/default_sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

namespace scurrow {
namespace {

constexpr int kRate = 44100;
constexpr int kFrameBytes = 2;  // 16-bit mono

void PutText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> DefaultSoundWav() {
  const int frames = kRate * kDefaultSoundMs / 1000;
  const uint32_t dataBytes = static_cast<uint32_t>(frames) * kFrameBytes;
  std::vector<uint8_t> wav;
  // One allocation; without it GCC 12 for Windows warns wrongly of an overflow in the inserts.
  wav.reserve(44 + dataBytes);
  PutText(wav, "RIFF");
  PutLittleEndian(wav, 36 + dataBytes, 4);
  PutText(wav, "WAVEfmt ");
  PutLittleEndian(wav, 16, 4);
  PutLittleEndian(wav, 1, 2);  // PCM
  PutLittleEndian(wav, 1, 2);  // mono
  PutLittleEndian(wav, kRate, 4);
  PutLittleEndian(wav, kRate * kFrameBytes, 4);
  PutLittleEndian(wav, kFrameBytes, 2);
  PutLittleEndian(wav, 8 * kFrameBytes, 2);
  PutText(wav, "data");
  PutLittleEndian(wav, dataBytes, 4);

  // Two soft tones, a fifth apart, with 10 ms fades so that nothing clicks.
  const int fade = kRate / 100;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double pitch = i < frames / 2 ? 660.0 : 990.0;
    const double envelope = std::min({1.0, i / double(fade), (frames - 1 - i) / double(fade)});
    const double sample = 0.3 * envelope * std::sin(2 * std::numbers::pi * pitch * t);
    PutLittleEndian(wav, static_cast<uint16_t>(static_cast<int16_t>(sample * 32767)), 2);
  }
  return wav;
}

}  // namespace scurrow
