#include "base/sjis.h"

namespace base {

void UpperCaseName(char* name) {
  for (char* p = name; *p != '\0'; ++p) {
    auto b = static_cast<unsigned char>(*p);
    if (IsLeadByte(b)) {
      if (*++p == '\0') return;
    } else {
      *p = static_cast<char>(AsciiUpper(*p));
    }
  }
}

void UpperCaseName(std::string& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    auto b = static_cast<unsigned char>(name[i]);
    if (b == 0) return;
    if (IsLeadByte(b)) {
      ++i;
      if (i < name.size() && name[i] == '\0') return;
    } else {
      name[i] = static_cast<char>(AsciiUpper(name[i]));
    }
  }
}

size_t WholeCharacterLength(std::string_view name, size_t maxBytes) {
  if (name.size() <= maxBytes) return name.size();
  size_t kept = 0;
  while (kept < maxBytes) {
    const size_t next = IsLeadByte(static_cast<unsigned char>(name[kept])) ? kept + 2 : kept + 1;
    if (next > maxBytes) break;
    kept = next;
  }
  return kept;
}

}  // namespace base
