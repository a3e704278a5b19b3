// The benchmark's builds of the page at other mixer sizes (cmake/web.cmake): this definition
// replaces the shipped one, which is weak.
#include "shell/platform.h"

const int scurrow::platform::kMixerFrames = SCURROW_MIXER_FRAMES;
