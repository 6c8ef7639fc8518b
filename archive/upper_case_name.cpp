#include "archive/upper_case_name.h"

namespace archive {

void UpperCaseName(char* name) {
  for (char* p = name; *p != '\0'; ++p) {
    auto b = static_cast<unsigned char>(*p);
    if (IsLeadByte(b)) {
      if (*++p == '\0') return;
    } else if (b >= 'a' && b <= 'z') {
      *p = static_cast<char>(b - 0x20);
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
    } else if (b >= 'a' && b <= 'z') {
      name[i] = static_cast<char>(b - 0x20);
    }
  }
}

}  // namespace archive
