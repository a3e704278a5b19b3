#pragma once

#include <cstdint>
#include <string>

namespace scurrow::testing {

// Length in milliseconds of a PCM WAV file, read from its header chunks.
// Throws RuntimeError naming the path and the reason when the file is
// missing or is not a WAV file with sound in it.
int64_t WavLengthMs(const std::string& path);

}  // namespace scurrow::testing
