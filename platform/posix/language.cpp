#include "platform/language.h"

#include <cstdlib>

namespace platform {

base::Language UserLanguage() {
  return base::LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

}  // namespace platform
