#include "platform/language.h"

#include "platform/windows/win32.h"

namespace platform {

base::Language UserLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? base::Language::kJapanese
                                                                    : base::Language::kEnglish;
}

}  // namespace platform
