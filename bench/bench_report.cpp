#include "bench/bench_report.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace scurrow::bench {
namespace {

// Tabs and line breaks would break the line format.
std::string Clean(std::string text) {
  std::replace(text.begin(), text.end(), '\t', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

const char* VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::kMet:
      return "met";
    case Verdict::kMissed:
      return "MISSED";
    case Verdict::kInfo:
      break;
  }
  return "";
}

double Rank(const std::vector<double>& sorted, double p) {
  const size_t rank = static_cast<size_t>(std::ceil(p * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

int64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

double NsToMs(int64_t ns) { return static_cast<double>(ns) / 1e6; }

Summary Summarize(std::vector<double> samples) {
  Summary s;
  if (samples.empty()) return s;
  std::sort(samples.begin(), samples.end());
  s.n = samples.size();
  s.min = samples.front();
  s.max = samples.back();
  s.median = Rank(samples, 0.5);
  s.p99 = Rank(samples, 0.99);
  s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(s.n);
  return s;
}

Verdict Check(bool met) { return met ? Verdict::kMet : Verdict::kMissed; }

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void Row(const std::string& figure, const Summary& s, const std::string& unit,
         const std::string& target, Verdict verdict, int decimals) {
  if (s.n == 0) {
    std::printf("row\t%s\t0\t-\t-\t-\t-\t-\t%s\t%s\tno samples\n", Clean(figure).c_str(),
                Clean(unit).c_str(), Clean(target).c_str());
  } else {
    std::printf("row\t%s\t%zu\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", Clean(figure).c_str(), s.n,
                Fixed(s.min, decimals).c_str(), Fixed(s.median, decimals).c_str(),
                Fixed(s.p99, decimals).c_str(), Fixed(s.max, decimals).c_str(),
                Fixed(s.mean, decimals).c_str(), Clean(unit).c_str(), Clean(target).c_str(),
                VerdictText(verdict));
  }
  std::fflush(stdout);
}

void RowValue(const std::string& figure, double value, const std::string& unit,
              const std::string& target, Verdict verdict, int decimals) {
  Row(figure, Summarize({value}), unit, target, verdict, decimals);
}

void Note(const std::string& section, const std::string& text) {
  std::printf("note\t%s\t%s\n", Clean(section).c_str(), Clean(text).c_str());
  std::fflush(stdout);
}

void Fact(const std::string& key, const std::string& value) {
  std::printf("fact\t%s\t%s\n", Clean(key).c_str(), Clean(value).c_str());
  std::fflush(stdout);
}

}  // namespace scurrow::bench
