#pragma once

#include <cstdint>
#include <vector>

namespace scurrow {

// Length of the built-in sound that stands in for a word file that cannot be
// played.
constexpr int kDefaultSoundMs = 180;

// That sound as a complete 16-bit mono 44.1 kHz WAV file in memory.
std::vector<uint8_t> DefaultSoundWav();

}  // namespace scurrow
