#pragma once

// Figures and notes in the line format that bench/run turns into RESULTS.md,
// and the statistics behind them. No SDL here.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scurrow::bench {

// Nanoseconds on CLOCK_MONOTONIC: the one clock of every benchmark, shared
// across processes so that a launcher can stamp a child's start.
int64_t NowNs();
double NsToMs(int64_t ns);

struct Summary {
  size_t n = 0;
  double min = 0;
  double median = 0;
  double p99 = 0;
  double max = 0;
  double mean = 0;
};

// Percentiles by nearest rank: the smallest sample with at least p of all
// samples at or below it.
Summary Summarize(std::vector<double> samples);

// How a figure compares with its target.
enum class Verdict { kInfo, kMet, kMissed };
Verdict Check(bool met);

// One table row: a figure with its statistics. Lines go to standard output as
// "row<TAB>figure<TAB>n<TAB>min<TAB>median<TAB>p99<TAB>max<TAB>mean<TAB>unit<TAB>target<TAB>result".
void Row(const std::string& figure, const Summary& summary, const std::string& unit,
         const std::string& target, Verdict verdict, int decimals = 2);
// A row of one value (n = 1).
void RowValue(const std::string& figure, double value, const std::string& unit,
              const std::string& target, Verdict verdict, int decimals = 2);
// A paragraph for the section `section` of the notes: "note<TAB>section<TAB>text".
void Note(const std::string& section, const std::string& text);
// A fact about the run, such as a library version: "fact<TAB>key<TAB>value".
void Fact(const std::string& key, const std::string& value);

// `value` with `decimals` decimals.
std::string Fixed(double value, int decimals);

}  // namespace scurrow::bench
