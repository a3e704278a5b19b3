// CPU and memory of the real program, watched from outside. The program runs
// on SDL's dummy audio driver (and whatever display DISPLAY names) with no
// key pressed: start-up, a star lost after two timer intervals, the time-out
// cue, the spoken score, the prompt, then nothing. Every 10 ms this program
// reads the time on CPU of each of its threads from /proc/PID/task/*/schedstat.
// The main thread spins, by design, in the start-up waits and in the wait for
// the time-out cue; the start-up ends when that first spin ends, and the
// measurement covers the given number of seconds from there. Then N is
// pressed with xdotool and the peak resident set of the finished process is
// read from its rusage.
//
// Usage: bench_idle_cpu PROGRAM [seconds]   (30 if not given)
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_report.h"

namespace scurrow::bench {
namespace {

constexpr int64_t kSampleNs = 10'000'000;

struct Sample {
  int64_t at = 0;                    // NowNs()
  int64_t mainNs = 0;                // main thread's time on CPU
  std::map<long, int64_t> threadNs;  // every thread's, by id
  long ticks = 0;                    // utime + stime of /proc/PID/stat
};

// Length of a PCM WAV file from its header, in ms; 0 if it is not readable.
double WavLengthMs(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char riff[12];
  if (!in.read(riff, 12) || std::memcmp(riff, "RIFF", 4) != 0) return 0;
  uint32_t byteRate = 0;
  char header[8];
  while (in.read(header, 8)) {
    uint32_t size = 0;
    std::memcpy(&size, header + 4, 4);
    if (std::memcmp(header, "fmt ", 4) == 0) {
      char format[16];
      if (size < 16 || !in.read(format, 16)) return 0;
      std::memcpy(&byteRate, format + 8, 4);
      in.seekg(size - 16 + (size & 1), std::ios::cur);
    } else if (std::memcmp(header, "data", 4) == 0) {
      return byteRate ? 1000.0 * size / byteRate : 0;
    } else {
      in.seekg(size + (size & 1), std::ios::cur);
    }
  }
  return 0;
}

std::optional<int64_t> ThreadCpuNs(pid_t pid, long tid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid) + "/schedstat");
  int64_t ns = 0;
  if (!(in >> ns)) return std::nullopt;
  return ns;
}

long ProcessTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  long utime = 0;
  long stime = 0;
  // After the command come state (field 3) ... utime (14) and stime (15).
  for (int index = 3; index <= 15 && (fields >> field); ++index) {
    if (index == 14) utime = std::atol(field.c_str());
    if (index == 15) stime = std::atol(field.c_str());
  }
  return utime + stime;
}

long VmHwmKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  }
  return 0;
}

Sample TakeSample(pid_t pid) {
  Sample sample;
  sample.at = NowNs();
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  if (DIR* dir = opendir(tasks.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const long tid = std::atol(entry->d_name);
      if (tid <= 0) continue;
      if (const auto ns = ThreadCpuNs(pid, tid)) {
        sample.threadNs[tid] = *ns;
        if (tid == pid) sample.mainNs = *ns;
      }
    }
    closedir(dir);
  }
  sample.ticks = ProcessTicks(pid);
  return sample;
}

// Time on CPU of the whole process between two samples.
int64_t CpuNs(const Sample& from, const Sample& to) {
  int64_t used = 0;
  for (const auto& [tid, ns] : to.threadNs) {
    const auto before = from.threadNs.find(tid);
    used += ns - (before == from.threadNs.end() ? 0 : before->second);
  }
  return used;
}

// Share of one core that the whole process used between two samples.
double CpuShare(const Sample& from, const Sample& to) {
  return to.at > from.at ? static_cast<double>(CpuNs(from, to)) / (to.at - from.at) : 0;
}

double MainShare(const Sample& from, const Sample& to) {
  return to.at > from.at ? static_cast<double>(to.mainNs - from.mainNs) / (to.at - from.at) : 0;
}

// Runs `argv` and waits for it; true if it exited with status 0.
bool RunTool(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Waits up to `seconds` for the child to end; its rusage on success.
std::optional<rusage> Reap(pid_t pid, double seconds, int& status) {
  const int64_t deadline = NowNs() + static_cast<int64_t>(seconds * 1e9);
  while (NowNs() < deadline) {
    rusage usage{};
    const pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) return usage;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

struct Segment {
  size_t first = 0;  // sample indices; the segment runs from first to last
  size_t last = 0;
};

// Runs of samples in which the main thread spent at least half its time on
// CPU, joined across gaps of up to 200 ms: on a busy machine a spinning
// thread is now and then preempted for a sample or two.
std::vector<Segment> Spins(const std::vector<Sample>& samples) {
  constexpr size_t kJoin = 200'000'000 / kSampleNs;
  std::vector<Segment> spins;
  for (size_t i = 1; i < samples.size(); ++i) {
    if (MainShare(samples[i - 1], samples[i]) < 0.5) continue;
    if (!spins.empty() && i - spins.back().last <= kJoin) {
      spins.back().last = i;
    } else {
      spins.push_back({i - 1, i});
    }
  }
  return spins;
}

std::string Seconds(const std::vector<Sample>& s, size_t from, size_t to) {
  return Fixed(NsToMs(s[to].at - s[from].at) / 1000.0, 2) + " s";
}

}  // namespace
}  // namespace scurrow::bench

int main(int argc, char** argv) {
  using namespace scurrow::bench;
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_idle_cpu PROGRAM [seconds]\n");
    return 2;
  }
  const std::string program = std::filesystem::absolute(argv[1]).string();
  const double windowSeconds = argc > 2 ? std::atof(argv[2]) : 30.0;
  const std::string folder = std::filesystem::path(program).parent_path().string();
  const double speechMs = WavLengthMs(folder + "/0.wav") + WavLengthMs(folder + "/points.wav");
  const std::string section = "CPU and memory";

  const int64_t launchedAt = NowNs();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (FILE* null = std::fopen("/dev/null", "w")) dup2(fileno(null), STDOUT_FILENO);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid < 0) return 1;

  // Sample until the start-up's spin has ended, then for the window.
  std::vector<Sample> samples;
  std::optional<size_t> startupEnd;
  bool spun = false;
  int64_t windowEnd = 0;
  auto next = std::chrono::steady_clock::now();
  while (true) {
    next += std::chrono::nanoseconds(kSampleNs);
    std::this_thread::sleep_until(next);
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      std::fprintf(stderr, "bench_idle_cpu: the program ended early\n");
      return 1;
    }
    samples.push_back(TakeSample(pid));
    const size_t i = samples.size() - 1;
    if (!startupEnd) {
      // The share of the main thread over the last 200 ms.
      if (i < 20) continue;
      const double share = MainShare(samples[i - 20], samples[i]);
      if (share > 0.8) spun = true;
      if (spun && share < 0.05) {
        // The spin ended at the last sample in which the main thread ran most.
        size_t end = i;
        while (end > 0 && MainShare(samples[end - 1], samples[end]) < 0.5) --end;
        startupEnd = end;
        windowEnd = samples[end].at + static_cast<int64_t>(windowSeconds * 1e9);
      } else if (NsToMs(samples[i].at - launchedAt) > 30'000) {
        std::fprintf(stderr, "bench_idle_cpu: no end of the start-up found\n");
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 1;
      }
    } else if (samples[i].at >= windowEnd) {
      break;
    }
  }

  const long hwmBeforeQuitKb = VmHwmKb(pid);
  const bool pressed = RunTool({"xdotool", "key", "n"});
  int status = 0;
  std::optional<rusage> usage = Reap(pid, 5, status);
  std::string ending = "it quit on N";
  if (!usage) {
    ending = "N did not end it; it was sent SIGTERM";
    kill(pid, SIGTERM);
    usage = Reap(pid, 5, status);
  }
  if (!usage) {
    ending = "it had to be killed";
    kill(pid, SIGKILL);
    usage = Reap(pid, 5, status);
  }

  // Segments: the start-up's spin, the time-out wait's spin after it, the
  // spoken score right after that, and the rest.
  const size_t start = *startupEnd;
  const size_t stop = samples.size() - 1;
  const std::vector<Segment> spins = Spins(samples);
  std::optional<Segment> startupSpin, timeoutSpin;
  for (const Segment& spin : spins) {
    if (spin.last <= start)
      startupSpin = startupSpin ? Segment{startupSpin->first, spin.last} : spin;
    if (spin.first > start && !timeoutSpin) timeoutSpin = spin;
  }

  std::vector<double> perSecond;
  for (size_t from = start; from + 100 <= stop; from += 100) {
    perSecond.push_back(100.0 * CpuShare(samples[from], samples[from + 100]));
  }
  const double total = 100.0 * CpuShare(samples[start], samples[stop]);
  const long hz = sysconf(_SC_CLK_TCK);
  const double ticksTotal = 100.0 *
                            static_cast<double>(samples[stop].ticks - samples[start].ticks) / hz /
                            (NsToMs(samples[stop].at - samples[start].at) / 1000.0);

  Summary window = Summarize(perSecond);
  window.mean = total;
  Row("CPU, " + Fixed(windowSeconds, 0) +
          " s after start-up, no key (per-second windows; mean = whole window)",
      window, "% of a core", "mean <= 1%", Check(total <= 1.0));
  if (timeoutSpin) {
    // The same window with the wait for the time-out cue, which spins by
    // design, left out.
    const Sample& a = samples[timeoutSpin->first];
    const Sample& b = samples[timeoutSpin->last];
    const double outside =
        static_cast<double>(CpuNs(samples[start], samples[stop]) - CpuNs(a, b)) /
        static_cast<double>((samples[stop].at - samples[start].at) - (b.at - a.at));
    RowValue("CPU, the same window without the wait for the time-out cue (" +
                 Seconds(samples, timeoutSpin->first, timeoutSpin->last) + " left out)",
             100.0 * outside, "% of a core", "<= 1%", Check(outside <= 0.01), 2);
  }

  if (startupSpin) {
    RowValue("CPU in the start-up waits (pause + introduction; spin by design, " +
                 Seconds(samples, startupSpin->first, startupSpin->last) + ")",
             100.0 * CpuShare(samples[startupSpin->first], samples[startupSpin->last]),
             "% of a core", "", Verdict::kInfo, 1);
  }
  if (timeoutSpin) {
    const size_t speechEnd =
        std::min(stop, timeoutSpin->last + static_cast<size_t>((speechMs + 200) * 1e6 / kSampleNs));
    RowValue("CPU with the music playing, no key, until the star is lost (" +
                 Seconds(samples, start, timeoutSpin->first) + ")",
             100.0 * CpuShare(samples[start], samples[timeoutSpin->first]), "% of a core", "<= 1%",
             Check(CpuShare(samples[start], samples[timeoutSpin->first]) <= 0.01), 2);
    RowValue("CPU in the wait for the time-out cue (spin by design, " +
                 Seconds(samples, timeoutSpin->first, timeoutSpin->last) + ")",
             100.0 * CpuShare(samples[timeoutSpin->first], samples[timeoutSpin->last]),
             "% of a core", "", Verdict::kInfo, 1);
    RowValue(
        "CPU while the score is spoken (" + Seconds(samples, timeoutSpin->last, speechEnd) + ")",
        100.0 * CpuShare(samples[timeoutSpin->last], samples[speechEnd]), "% of a core", "",
        Verdict::kInfo, 2);
    if (speechEnd < stop) {
      const double idle = CpuShare(samples[speechEnd], samples[stop]);
      RowValue("CPU idle after the prompt, waiting for Y or N (" +
                   Seconds(samples, speechEnd, stop) + ")",
               100.0 * idle, "% of a core", "<= 1%", Check(idle <= 0.01), 2);
    }
  } else {
    Note(section, "No time-out wait was seen inside the window.");
  }

  const double peakMb = usage ? usage->ru_maxrss / 1024.0 : hwmBeforeQuitKb / 1024.0;
  RowValue("Peak resident set of a whole game (real program, VmHWM / ru_maxrss)", peakMb, "MB",
           "<= 40 MB", Check(peakMb <= 40.0), 1);

  Note(section, "Start-up ended " + Fixed(NsToMs(samples[start].at - launchedAt) / 1000.0, 2) +
                    " s after the launch; the window then ran " + Seconds(samples, start, stop) +
                    ". Whole-process CPU from /proc/PID/stat over the window: " +
                    Fixed(ticksTotal, 2) + "% (" + std::to_string(hz) + " Hz ticks), against " +
                    Fixed(total, 2) + "% from schedstat.");
  Note(section, "At the end xdotool " + std::string(pressed ? "pressed" : "failed to press") +
                    " N: " + ending + ", exit status " +
                    std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                    "; VmHWM just before: " + Fixed(hwmBeforeQuitKb / 1024.0, 1) + " MB.");
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
