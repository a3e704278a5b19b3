// The flow of the spoken score on the real layers: modSpeakScore speaks
// 999,950 with the real SdlFilePlayer and the real word files on an open
// SDL2_mixer device. A decorator around the player stamps every PlayAndWait
// call and watches the player's mixer channel, so that the silence between
// two words can be read both on the wall clock and in the mixed stream.
//
// Usage: bench_speech [repetitions]   (5 if not given)
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/mixer_probe.h"
#include "shell/sdl_shell.h"
#include "sound/mixer_chunk.h"
#include "sound/mod_speak_score.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

namespace scurrow::bench {
namespace {

constexpr int32_t kScore = 999'950;

struct Word {
  std::string name;
  int score = 0;  // which repetition spoke it
  int64_t enteredAt = 0;
  int64_t returnedAt = 0;
  MixMark mark;
};

// The real player, with each word stamped. The player's channel is silent
// between words, so the effect registered before the call sees this word only.
class TimedFilePlayer : public FilePlayer {
 public:
  TimedFilePlayer(FilePlayer& real, const MixerProbe& probe) : real_(real), probe_(probe) {}

  void PlayAndWait(const std::string& fileName) override {
    auto word = std::make_unique<Word>();
    word->name = fileName;
    word->score = score;
    word->mark.probe = &probe_;
    WatchChannel(SdlAudioDevice::kPlayerChannel, word->mark);
    Word& stamped = *word;
    words.push_back(std::move(word));
    stamped.enteredAt = NowNs();
    real_.PlayAndWait(fileName);
    stamped.returnedAt = NowNs();
  }

  int score = 0;
  std::vector<std::unique_ptr<Word>> words;

 private:
  FilePlayer& real_;
  const MixerProbe& probe_;
};

}  // namespace
}  // namespace scurrow::bench

int main(int argc, char** argv) {
  using namespace scurrow;
  using namespace scurrow::bench;
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 5;
  try {
    SdlShell shell;
    MixerProbe probe;
    SdlAudioDevice device;
    device.CreateRoot();
    device.OpenDevice();
    probe.Install();

    // Every word's length in frames, as decoded for the mixer.
    std::map<std::string, double> lengthMs;
    for (const auto& entry : std::filesystem::directory_iterator(shell.ProgramFolder())) {
      if (entry.path().extension() != ".wav") continue;
      std::string reason;
      const ChunkPtr chunk = LoadChunk(entry.path().string(), reason);
      if (!chunk) continue;
      const double frames = static_cast<double>(chunk->alen) / probe.BytesPerFrame();
      lengthMs[entry.path().filename().string()] = 1000.0 * frames / probe.SampleRate();
    }

    SdlFilePlayer real;
    TimedFilePlayer player(real, probe);
    modSpeakScore speech(shell, player);
    for (int r = 0; r < repetitions; ++r) {
      player.score = r;
      speech.ScoreValue = kScore;
      speech.SpeakScore();
      SDL_Delay(300);
    }
    const std::vector<int64_t> callbacks = probe.CallbackTimes();
    const int bufferFrames = probe.BufferFrames();
    probe.Uninstall();
    device.ReleaseDevice();
    device.ReleaseRoot();

    // How fast the driver really consumed frames, against the nominal rate.
    double speed = 1.0;
    if (callbacks.size() > 1) {
      const double seconds = NsToMs(callbacks.back() - callbacks.front()) / 1000.0;
      speed =
          (static_cast<double>(callbacks.size() - 1) * bufferFrames / seconds) / probe.SampleRate();
    }

    std::vector<double> streamGap, wallRaw, wallCorrected, between;
    int incomplete = 0;
    const auto& words = player.words;
    for (size_t i = 0; i < words.size(); ++i) {
      const Word& w = *words[i];
      const double lengthFrames = lengthMs[w.name] * probe.SampleRate() / 1000.0;
      const double mixedFrames =
          static_cast<double>(w.mark.endFrame.load() - w.mark.firstFrame.load());
      if (!w.mark.Mixed() || mixedFrames + 0.5 < lengthFrames) ++incomplete;
      if (i + 1 == words.size() || words[i + 1]->score != w.score) continue;
      const Word& next = *words[i + 1];
      const double framesApart =
          static_cast<double>(next.mark.firstFrame.load()) - static_cast<double>(w.mark.endFrame);
      streamGap.push_back(1000.0 * framesApart / probe.SampleRate());
      const double apartMs = NsToMs(next.enteredAt - w.enteredAt);
      wallRaw.push_back(apartMs - lengthMs[w.name]);
      wallCorrected.push_back(apartMs * speed - lengthMs[w.name]);
      between.push_back(NsToMs(next.enteredAt - w.returnedAt));
    }

    const Summary stream = Summarize(streamGap);
    Row("Spoken 999,950: silence between words in the mixed stream", stream, "ms", "each <= 30 ms",
        Check(stream.n > 0 && stream.max <= 30));
    const Summary corrected = Summarize(wallCorrected);
    Row("Spoken 999,950: call to next call minus the word's length (wall clock, rate-corrected)",
        corrected, "ms", "each <= 30 ms", Check(corrected.n > 0 && corrected.max <= 30));
    Row("Spoken 999,950: call to next call minus the word's length (wall clock, raw)",
        Summarize(wallRaw), "ms", "", Verdict::kInfo);
    Row("Spoken 999,950: return of one call to the next call", Summarize(between), "ms", "",
        Verdict::kInfo, 3);

    std::string sequence;
    for (const auto& w : words) {
      if (w->score != 0) break;
      sequence += (sequence.empty() ? "" : " ") + w->name;
    }
    const std::string section = "Speech flow";
    Note(section, std::to_string(repetitions) + " repetitions of the words: " + sequence + " (" +
                      std::to_string(streamGap.size()) + " gaps); " + std::to_string(incomplete) +
                      " words not mixed whole.");
    Note(section, "The dummy driver consumed audio at " + Fixed(speed, 4) +
                      " times the nominal 44.1 kHz (" + std::to_string(bufferFrames) +
                      " frames per callback).");
    return incomplete == 0 && !streamGap.empty() ? 0 : 1;
  } catch (const RuntimeError& error) {
    std::fprintf(stderr, "bench_speech: %s\n", error.Report().c_str());
    return 1;
  }
}
