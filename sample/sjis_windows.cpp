// UTF-8 to Shift-JIS for the tools, through Windows' code page 932 (the C
// library of mingw-w64 has no iconv).
#include <windows.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "sample/sio_writer.h"

namespace tools {

std::string Sjis(std::string_view utf8) {
  const std::runtime_error noForm("no Shift-JIS form for: " + std::string(utf8));
  if (utf8.empty()) return {};
  if (utf8.size() > INT_MAX / 2) throw noForm;
  const int inLength = static_cast<int>(utf8.size());
  const int wideLength =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, nullptr, 0);
  if (wideLength <= 0) throw noForm;
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, wide.data(), wideLength) !=
      wideLength) {
    throw noForm;
  }
  // No best-fit mapping and no default character: a character without its
  // own Shift-JIS form is an error, as it is for iconv.
  BOOL usedDefault = FALSE;
  const int outLength = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0,
                                            nullptr, &usedDefault);
  if (outLength <= 0 || usedDefault) throw noForm;
  std::string out(static_cast<size_t>(outLength), '\0');
  if (WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, out.data(), outLength, nullptr,
                          &usedDefault) != outLength ||
      usedDefault) {
    throw noForm;
  }
  return out;
}

}  // namespace tools
