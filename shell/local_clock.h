#pragma once

namespace scurrow {

// Seconds since local midnight, with the fraction, 0 <= t < 86400.
float SecondsSinceLocalMidnight();

}  // namespace scurrow
