#include <emscripten.h>

#include "shell/error_dialog.h"

namespace scurrow {
namespace {

// The page shows the message and says it in its live region (web/page.js).
EM_JS(void, ShowOnPage, (const char* message), {
  if (Module.showError) Module.showError(UTF8ToString(message));
});

}  // namespace

void ShowErrorDialog(const char* message) noexcept { ShowOnPage(message); }

}  // namespace scurrow
