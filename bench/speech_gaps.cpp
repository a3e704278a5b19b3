// Gaps between spoken words, on the real layers: modSpeakScore speaks 999,950
// with the real SdlFilePlayer and word files on the open SDL2_mixer device. An
// effect on the player's channel notes where each word begins and ends in the
// mixed stream, whose frames a post-mix hook counts; a gap is the silence from
// the end of one word to the first frame of the next.
//
// Usage: bench_speech_gaps [REPETITIONS]   (3 if not given)
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <vector>

#include "shell/sdl_shell.h"
#include "sound/mod_speak_score.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

namespace {

using namespace scurrow;

std::atomic<uint64_t> streamFrames{0};  // mixed by the callbacks that have finished
int bytesPerFrame = 4;

void CountFrames(void*, Uint8*, int len) { streamFrames += len / bytesPerFrame; }

// Where a word lies in the stream; end stays 0 until it is mixed.
struct Word {
  std::atomic<uint64_t> first{0};
  std::atomic<uint64_t> end{0};
};

// Runs in the callback before the post-mix hook, so streamFrames is where this
// buffer begins; a sound is mixed from a buffer's beginning, `len` bytes of it.
void MarkWord(int, void*, int len, void* data) {
  Word& word = *static_cast<Word*>(data);
  const uint64_t begin = streamFrames;
  if (word.end == 0) word.first = begin;
  word.end = begin + len / bytesPerFrame;
}

// The real player; its channel is silent between words, so an effect
// registered before a word sees that word alone.
class MarkingPlayer : public SdlFilePlayer {
 public:
  void PlayAndWait(const std::string& fileName) override {
    words.emplace_back();
    Mix_RegisterEffect(SdlAudioDevice::kPlayerChannel, &MarkWord, nullptr, &words.back());
    SdlFilePlayer::PlayAndWait(fileName);
  }

  std::deque<Word> words;
};

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 3;
  std::vector<double> gapsMs;
  size_t words = 0;
  int unmixed = 0;
  try {
    SdlShell shell;
    SdlAudioDevice device;
    device.CreateRoot();
    device.OpenDevice();
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    bytesPerFrame = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    Mix_SetPostMix(&CountFrames, nullptr);
    MarkingPlayer player;
    modSpeakScore speech(shell, player);
    for (int r = 0; r < repetitions; ++r) {
      player.words.clear();
      speech.ScoreValue = 999'950;
      speech.SpeakScore();
      const std::deque<Word>& spoken = player.words;
      words = spoken.size();
      for (size_t i = 0; i < spoken.size(); ++i) {
        if (spoken[i].end == 0) {
          ++unmixed;
        } else if (i > 0 && spoken[i - 1].end != 0) {
          gapsMs.push_back(1000.0 * (spoken[i].first - spoken[i - 1].end) / rate);
        }
      }
    }
    Mix_SetPostMix(nullptr, nullptr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_speech_gaps: %s\n", error.what());
    return 1;
  }
  std::sort(gapsMs.begin(), gapsMs.end());
  if (gapsMs.empty()) return 1;
  std::printf("speech_gap_median %.2f\nspeech_gap_max %.2f\nspeech_gaps %zu\n",
              gapsMs[(gapsMs.size() - 1) / 2], gapsMs.back(), gapsMs.size());
  std::printf("speech_words %zu\nspeech_unmixed %d\n", words, unmixed);
  return unmixed == 0 ? 0 : 1;
}
