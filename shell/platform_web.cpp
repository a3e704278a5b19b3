// The browser, through emscripten.
#include <emscripten.h>

#include "shell/platform.h"

namespace scurrow::platform {

// The browser's console has no noise of system libraries to hide: nothing is saved.
QuietStandardError::QuietStandardError() {}
QuietStandardError::~QuietStandardError() { (void)saved_; }

std::FILE* OpenForReading(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "rb");
}

namespace {

// The page shows the message and says it in its live region (web/page.js).
EM_JS(void, ShowOnPage, (const char* message), {
  if (Module.showError) Module.showError(UTF8ToString(message));
});

// The page words what the sound says (web/page.js).
EM_JS(void, TellPage, (const char* path), {
  if (Module.soundStarted) Module.soundStarted(UTF8ToString(path));
});

}  // namespace

void ShowErrorDialog(const char* message) noexcept { ShowOnPage(message); }

#define SCURROW_OUT_OF_MEMORY \
  "the browser ran out of memory. Close some tabs, then reload the page."
const Advice kAdvice = {
    "the browser could not give it a place to run. Reload the page; if that does not help, "
    "try another browser.",
    "the browser could not open a sound output, and the game is played by ear. Connect speakers "
    "or headphones, then reload the page.",
    "Reload the page; if that does not help, tell the owner of this site.",
    SCURROW_OUT_OF_MEMORY,
    "Reload the page to play again; if this keeps happening, tell the owner of this site.",
    false};  // the page's files lie in no folder of the player's
const char kOutOfMemoryMessage[] = "Scurrow has stopped: " SCURROW_OUT_OF_MEMORY;

// Chromium renders in bursts about 10 ms apart, and SDL's ScriptProcessorNode wraps its double
// buffer inside one burst at 256 frames: about one buffer in eight played stale. At 512
// frames a main thread a few milliseconds late still breaks it up about 30 times a minute; 1024 is
// the smallest size at which it falls to a few, as at 2048 (bench/RESULTS.md). The benchmark's
// builds at other sizes replace this definition, so it is weak.
[[gnu::weak]] const int kMixerFrames = 1024;

void AskServerForBuffer() {}

void ChooseSoundDriver() {}

void SoundStarted(const std::string& path) { TellPage(path.c_str()); }

// ASYNCIFY turns the sleep into a return to the browser's event loop.
void YieldToSystem() { emscripten_sleep(0); }

}  // namespace scurrow::platform
