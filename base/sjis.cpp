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

}  // namespace base
