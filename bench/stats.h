// The percentile of the benchmarks: the nearest rank of the q-th share of
// sorted values (q = 1 is the largest), NAN when there are none.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

inline double Rank(const std::vector<double>& sorted, double q) {
  return sorted.empty() ? NAN : sorted[std::max<size_t>(1, std::ceil(q * sorted.size())) - 1];
}
