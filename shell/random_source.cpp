#include "shell/random_source.h"

#include <cstring>

namespace scurrow {
namespace {

// splitmix64's finalizer: every bit of the input stirs every bit of the output.
uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

// The reading is stirred before it is folded in: readings a second apart differ in a few bits
// only, and folded in as they are they would steer the next draws alike.
void RandomSource::Reseed(float clockReading) {
  uint32_t bits = 0;
  std::memcpy(&bits, &clockReading, sizeof bits);
  state_ ^= Mix(bits);
  Next();
}

float RandomSource::Draw() { return static_cast<float>(Next() >> 40) * 0x1.0p-24f; }

// splitmix64: a full-period sequence whose outputs pass the usual tests.
uint64_t RandomSource::Next() { return Mix(state_ += 0x9E3779B97F4A7C15ull); }

}  // namespace scurrow
