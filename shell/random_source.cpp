#include "shell/random_source.h"

#include <cstring>

namespace scurrow {

// The engine restarts from its own next output with the reading's bits folded in: the output
// carries the state, so the same reading twice still leads to different draws.
void RandomSource::Reseed(float clockReading) {
  uint32_t bits = 0;
  std::memcpy(&bits, &clockReading, sizeof bits);
  engine_.seed(engine_() ^ bits);
}

float RandomSource::Draw() { return static_cast<float>(engine_() >> 8) * 0x1.0p-24f; }

}  // namespace scurrow
