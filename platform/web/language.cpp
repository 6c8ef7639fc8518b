#include "platform/language.h"

#include <emscripten.h>

// True when the browser's first language is Japanese.
// clang-format off
EM_JS(int, avd_web_prefers_japanese, (), {
  const languages = (typeof navigator !== "undefined" && navigator.languages) || [];
  const first = String(languages[0] || "").toLowerCase();
  return first === "ja" || first.startsWith("ja-") ? 1 : 0;
});
// clang-format on

namespace platform {

base::Language UserLanguage() {
  return avd_web_prefers_japanese() ? base::Language::kJapanese : base::Language::kEnglish;
}

}  // namespace platform
